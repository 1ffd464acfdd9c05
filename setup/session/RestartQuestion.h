// The question whether to restart Windows now, asked by the "reboot" command and when the
// program exits after a "reboot" line stopped the run.
#pragma once

#include <string>

namespace setup {

// Shows the restart question, a Yes/No box with the product icon brought to the front, and
// returns true when the answer is Yes. An empty `title` or `question` is replaced by the
// program's own text (messages 215 and 217) in the user's default language, or in English
// when that language has none, so that the box never asks an empty question.
bool AskToRestartNow(const std::wstring& title, const std::wstring& question);

}  // namespace setup
