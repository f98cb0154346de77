#include "naming/company.h"

#include <QAbstractButton>
#include <QMetaObject>
#include <QProgressBar>
#include <QWebEngineView>

#include "app/controls.h"
#include "naming/naming_run.h"
#include "naming/page_texts.h"
#include "naming/pane.h"
#include "naming/reply_reading.h"
#include "settings/config.h"
#include "settings/paths.h"
#include "speech/voice_prompt.h"
#include "web/fetch.h"

namespace zu::naming {
namespace {

const QString kObjectName = QStringLiteral("zuCompanyNaming");

}  // namespace

CompanyNaming::CompanyNaming(QWidget* window) : QObject(window), window_(window) {
    setObjectName(kObjectName);
    for (std::string_view radio : {"单选框5", "单选框6"}) {
        if (auto* button = Control<QAbstractButton>(window, radio))
            connect(button, &QAbstractButton::toggled, this, [this] { mode_ = ModeOnGui(); });
    }
    mode_ = ModeOnGui();
}

CompanyNaming::~CompanyNaming() {
    if (worker_.joinable()) worker_.join();
}

int CompanyNaming::ModeOnGui() const {
    if (Checked(window_, "单选框6")) return 3;
    if (Checked(window_, "单选框5")) return 2;
    return 0;
}

template <typename F>
void CompanyNaming::OnGui(F step) {
    QMetaObject::invokeMethod(this, std::move(step), Qt::QueuedConnection);
}

void CompanyNaming::Start() {
    // The button goes off here, on the GUI thread, before the worker exists,
    // so a second click cannot start a second worker.
    if (running_) return;
    running_ = true;
    VoicePrompt("正在" + Caption(window_, "按钮6") + "！请稍候！");
    SetEnabled(window_, {"按钮6"}, false);
    if (worker_.joinable()) worker_.join();  // the previous run has ended already
    mode_ = ModeOnGui();
    worker_ = std::thread(&CompanyNaming::Run, this, Config().companyEndpoint,
                          PagePath(RunDirectory(), kCompanyPageFile));
}

void CompanyNaming::Run(std::string base, std::string pagePath) {
    QWidget* window = window_;
    auto bar = [window] { return Control<QProgressBar>(window, "进度条4"); };
    OnGui([=] {
        SetBarPosition(bar(), 0);
        SetEnabled(window, {"按钮6"}, false);
        SetCaption(window, "按钮6", "正在取名");
        if (auto* b = bar()) b->setMaximum(kProgressMaximum);
    });
    std::string links;
    std::vector<std::string> names;
    for (int fetch = 0; fetch < kFetches; ++fetch) {
        const int mode = mode_.load();
        if (mode == 0) {
            OnGui([] { VoicePrompt("请选择您要取名模式·"); });
            break;
        }
        const CompanyReply reply = ReadCompanyReply(WebFetch(CompanyQuery(base, mode == 3)));
        if (reply.failed) {
            OnGui([=] {
                SetCaption(window, "按钮6", "重新取名");
                VoicePrompt("失败·请检查是否网络是否连接·");
            });
            break;
        }
        for (int step = 0; step < reply.steps; ++step) {
            OnGui([=] {
                if (auto* b = bar()) SetBarPosition(b, b->value() + 1);
            });
        }
        for (const std::string& name : reply.names) {
            links += NameLink(name);
            names.push_back(name);
        }
    }
    OnGui([=] {
        if (auto* b = bar()) SetBarPosition(b, b->maximum());
    });
    // Page files are no widgets: the worker writes its own.
    WritePage(pagePath, ListPage(links));
    OnGui([window, names = std::move(names)]() mutable {
        auto* pane = Control<QWebEngineView>(window, "超文本浏览框4");
        if (auto* page = PageOf(pane)) page->SetNames(std::move(names));
        ShowPage(pane, kCompanyPageFile);
    });
    OnGui([this, window] {
        SetCaption(window, "按钮6", "重新取名");
        SetEnabled(window, {"按钮6"}, true);
        VoicePrompt("取名完毕！");
        running_ = false;
    });
}

CompanyNaming* CompanyNamingOf(QWidget* window) {
    return window ? window->findChild<CompanyNaming*>(kObjectName, Qt::FindDirectChildrenOnly) : nullptr;
}

}  // namespace zu::naming
