#pragma once
#include "common/translate.h"

#include <string>

// Opens the help window at a context's topic; an unknown context shows the contents page.
void showHelpContext(int context);
void showHelpContents();

// The page in the language's subfolder of the help folder ("fr/", "es/"), or the English one
// beside them when the language has no such page.
std::string helpPageIn(const std::string& helpFolder, Language language, const std::string& page);