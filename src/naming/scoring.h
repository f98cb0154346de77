// Scoring a name (page 4) and what a pick in a result pane does.
#pragma once

#include <string_view>

class QWidget;

namespace zu::naming {

// Scores a name of 6 bytes (surname 2 + given name 4) or 4 bytes (2 + 2);
// any other length is ignored.
void ScoreFullName(QWidget* window, std::string_view fullName);
// Fetches the analysis, rebrands it and shows it in "超文本浏览框3"; speaks the
// failure text when there is no analysis.
void ScoreName(QWidget* window, std::string_view surname, std::string_view given);

// A name picked in a list pane: spoken, copied to the clipboard and scored
// (the company form without its first "有限公司").
void NamePicked(QWidget* window, std::string_view name, bool companyForm);

}  // namespace zu::naming
