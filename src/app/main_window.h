// The main window: toolbar, eight pages, voice status corner, sliding help
// panel and menu bar, every control named by its stored name (objectName).
#pragma once

#include <QMainWindow>

class QTabWidget;

namespace zu {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Left edge of the help panel when it is open, and its width.
    static constexpr int kHelpPanelOpenLeft = 828;
    static constexpr int kHelpPanelWidth = 96;

    explicit MainWindow(QWidget* parent = nullptr);

    // Makes the page with that index (0 to 7) the showing page of "选择夹1".
    void SelectPage(int index);
    // Slides the help panel open or closed (the click on "按钮11").
    void ToggleHelpPanel();
    // Moves the help panel to its closed place, leaving the prompt strip in view.
    void CloseHelpPanel();
    // Starts the decorative animation of page 2.
    void StartDecorativeAnimation();

    // The help panel's prompt, one character per line.
    static QString HelpPrompt();

signals:
    // Emitted once, the first time the shown window becomes active.
    void firstActivated();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildWindowArea(QWidget* area);
    void BuildPages(QTabWidget* pages);
    void ConnectWindowActions();
    void NoteActivation();

    bool activated_ = false;
};

}  // namespace zu
