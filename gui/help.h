#pragma once

// Opens the help window at a context's topic; an unknown context shows the contents page.
void showHelpContext(int context);
void showHelpContents();