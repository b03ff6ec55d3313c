"""merivane-cli for the command-line tests: the program the test was given, run once."""
import subprocess
import sys

CLI = sys.argv.pop(1) if len(sys.argv) > 1 else "merivane-cli"


def run(*arguments, stdout=subprocess.PIPE, env=None):
    """(status, standard output, standard error) as text; output sent elsewhere reads as ""."""
    done = subprocess.run([CLI, *arguments], stdout=stdout, stderr=subprocess.PIPE, env=env, text=True)
    return done.returncode, done.stdout or "", done.stderr
