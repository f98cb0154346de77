// The naming features of the main window's pages.
#pragma once

class QWidget;

namespace zu {

// Connects the naming, scoring and pick handlers to the controls of `window`
// and gives the five result panes their pages (guards, shared profile, GBK).
void InstallNamingFeatures(QWidget* window);
// "男" in "组合框14" enables the father's name box and disables the mother's;
// any other text the reverse (start-up, every end of a parent-child run).
void ApplySexToParentBoxes(QWidget* window);
// First activation: the blank pages written and shown in the five panes.
void WriteBlankPages(QWidget* window);

}  // namespace zu
