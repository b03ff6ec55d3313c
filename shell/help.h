#pragma once

// Opens the help window at a context's topic; an unknown context shows the contents page.
void showHelpContext(int context);
void showHelpContents();
// F1 in any form opens the help of the form that is active; true when the event was that key.
bool answerHelpKey(int controlId, int eventCode);
