#pragma once

// What every form of the program answers alike: F1 opens the help of the active form, a form
// that becomes active makes its help the one F1 opens, Escape presses its cancel button, and its
// own events (loaded, started, close request, unload) go to its routines.
struct FormEvents {
    const char* form;
    int helpContext;  // the help F1 opens while the form is active; 0: none, and no F1
    int escapeButton; // the button Escape presses; 0: none
    // Each routine may be nullptr. The keys are defined once load has run.
    void (*load)();
    void (*start)();
    void (*closeRequest)(int& cancel);
    void (*unload)();
};

// Answers F1 and the form's own events (control 0); false for any other event, which is left to
// the form's events routine.
bool answerFormEvent(const FormEvents& events, int controlId, int eventCode, int& cancel);

// The help F1 opens now: that of the form activated last with a help of its own; 0 before any.
int activeHelpContext();
