// The click handlers of the three list pages and their page states.
#pragma once

#include <functional>

#include "naming/name_rules.h"

class QWidget;

namespace zu::naming {

// Page 1, "按钮2": two- or three-character mode from "单选框1".
void StartBabyNaming(QWidget* window);
void RestoreBabyInputs(QWidget* window);

// Page 7, "按钮28".
void StartGenerationNaming(QWidget* window);
void FinishGenerationRun(QWidget* window);

// Page 2, "按钮7": the entry check, then the run in the selected mode.
void StartParentChildNaming(QWidget* window);
bool ParentEntryCheck(QWidget* window);
void FinishParentChildPage(QWidget* window);

// Where the parent-child page's three random choices per candidate come
// from; a seeded generator unless a test puts its own source here.
void SetBlendChoiceSource(std::function<BlendChoices()> source);

}  // namespace zu::naming
