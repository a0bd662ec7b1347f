// A message for the user: a message box with an OK button, or, where no
// display can show one, a line on standard error.
#pragma once

namespace platform {

void ShowMessageBox(const char* title, const char* text);

}  // namespace platform
