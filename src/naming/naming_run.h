// The run skeleton shared by the baby, generation-character and parent-child
// pages, and the pieces of it (pane reset, progress, retry question).
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "naming/reply_reading.h"

class QProgressBar;
class QWidget;

namespace zu::naming {

// The points a feature fills in; controls are named by their stored names.
struct FeaturePoints {
    std::string_view surnameBox;  // empty: the feature runs its own entry check first
    std::vector<std::pair<std::string_view, std::string_view>> settings;  // value name, combo box
    std::string_view pane, overlayPicture, overlayLabel, progressBar, runButton, countBox;
    double progressOffset = 0;  // subtracted from the count for the progress maximum
    std::vector<std::string_view> lockSet, releaseSet;
    std::array<std::string_view, 6> queryBoxes;  // surname, year, month, day, hour, sex
    bool fetchText = false;                      // WebFetch instead of WebFetchBytes
    NameRules rules;
    bool speaksBatchFailure = false;  // run button caption + "失败·请检查是否网络是否连接·"
    std::function<void(QWidget*)> successFinish;
    std::function<void(QWidget*)> endStep;  // after a declined retry
};

enum class RunEnd { Done, Retry };

// One naming request; Retry when the user answered Yes to the retry question
// (the pane is then blank and disabled, and the caller starts the run again).
RunEnd NamingRun(QWidget* window, const FeaturePoints& feature);

// Runs `attempt` again for as long as it ends asking for a retry: a user who
// keeps answering Yes never deepens the stack.
void RunWithRetries(const std::function<RunEnd()>& attempt);

// The start-of-run sequence on the feature's pane, overlay and progress bar.
void ResetPane(QWidget* window, const FeaturePoints& feature);
// Adds 1 to the bar and writes "%.13g"(maximum + 5) + "|" + position to the label.
void AdvanceProgress(QWidget* window, const FeaturePoints& feature);
// The bar at `position`, held within its range (a bar cannot show more than full).
void SetBarPosition(QProgressBar* bar, int position);
// The success ending's label: maximum + 5 on both sides of "|".
void SetFinishedLabel(QWidget* window, std::string_view label, std::string_view bar);

// The question after a failed run: Yes or No, application-modal, no parent.
bool RetryQuestion();
inline constexpr std::string_view kRetryTitle = "温馨提示";

// Lets the window handle its pending events.
void Pump();

// Only one list-page run at a time: the three pages share the list page file,
// and a run started inside another run's pumping would freeze the outer one
// until it ends. True while a run of pages 1, 2 or 7 is in progress.
bool ListRunActive();
class ListRunScope {
public:
    ListRunScope();
    ~ListRunScope();
    ListRunScope(const ListRunScope&) = delete;
    ListRunScope& operator=(const ListRunScope&) = delete;
};

// Small helpers over the stored control names.
std::string BoxText(QWidget* window, std::string_view comboBox);
std::string Caption(QWidget* window, std::string_view button);
void SetCaption(QWidget* window, std::string_view widget, std::string_view gbk);
void SetEnabled(QWidget* window, const std::vector<std::string_view>& names, bool enabled);
void SetVisible(QWidget* window, const std::vector<std::string_view>& names, bool visible);
bool Checked(QWidget* window, std::string_view button);

}  // namespace zu::naming
