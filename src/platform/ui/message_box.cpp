#include "platform/ui/message_box.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QUrl>

namespace ui {

namespace {

std::mutex g_hookMutex;
std::atomic<bool> g_nonInteractive{false};
std::atomic<bool> g_ending{false};
MessageBoxHook g_messageBoxHook;
ModalHook g_modalHook;
MenuHook g_menuHook;
OpenUrlHook g_openUrlHook;

template <class Hook> Hook Current(const Hook& hook) {
    std::lock_guard lock(g_hookMutex);
    return hook;
}

template <class Hook> void Install(Hook& slot, Hook hook) {
    std::lock_guard lock(g_hookMutex);
    slot = std::move(hook);
}

// The modal loops running now, innermost last. User-interface thread only.
struct ModalEntry {
    QPointer<QWidget> window;
    int cancelResult; // what done() gets when the program ends under it
};
std::vector<ModalEntry>& ModalStack() {
    static std::vector<ModalEntry> stack;
    return stack;
}

class ModalScope final {
public:
    ModalScope(QWidget* window, int cancelResult) {
        ModalStack().push_back({window, cancelResult});
    }
    ~ModalScope() { ModalStack().pop_back(); }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
};

// A box a worker thread asked for: the worker waits until the user-interface thread has
// answered it, or until the program's end answers it instead.
class WorkerBox final {
public:
    // False when the box was answered before it could be shown.
    bool Begin() {
        std::lock_guard lock(m_mutex);
        return !m_done;
    }
    void Answer(int result) {
        {
            std::lock_guard lock(m_mutex);
            if (m_done)
                return;
            m_done = true;
            m_result = result;
        }
        m_cv.notify_all();
    }
    int Wait() {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [this] { return m_done; });
        return m_result;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_done = false;
    int m_result = IDOK;
};

std::mutex g_workerMutex;
std::vector<std::pair<std::shared_ptr<WorkerBox>, unsigned>> g_workerBoxes;

std::function<void()>& Teardown() {
    static std::function<void()> teardown;
    return teardown;
}

void PrintUnanswered(const std::string& text) {
    std::fprintf(stderr, "koravel: %s\n", text.c_str());
}

int ShowBox(const std::string& text, unsigned type, QWidget* parent) {
    if (auto hook = Current(g_messageBoxHook))
        return hook({text, type});
    if (g_nonInteractive.load() || g_ending.load()) {
        PrintUnanswered(text);
        return DefaultAnswer(type);
    }
    QMessageBox box(parent);
    if (parent && parent->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true); // not under an always-on-top owner
    box.setWindowTitle(kAppTitle);
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    switch (type & 0xF0) {
    case MB_ICONERROR:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONWARNING:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon((type & 0xF) == MB_YESNO ? QMessageBox::Question : QMessageBox::Warning);
    }
    switch (type & 0xF) {
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
    }
    int answer = 0;
    {
        // Ending the program closes the box with the button that means "cancelled".
        const int cancel = (type & 0xF) == MB_YESNO      ? QMessageBox::No
                           : (type & 0xF) == MB_OKCANCEL ? QMessageBox::Cancel
                                                         : QMessageBox::Ok;
        ModalScope scope(&box, cancel);
        answer = box.exec();
    }
    switch (answer) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    case QMessageBox::Ok:
        return IDOK;
    default:
        return DefaultAnswer(type);
    }
}

// Closes every modal loop of ours, innermost first, and answers the workers' boxes.
void EndLoops() {
    {
        std::lock_guard lock(g_workerMutex);
        for (auto& [box, type] : g_workerBoxes)
            box->Answer(DefaultAnswer(type));
    }
    const std::vector<ModalEntry> stack = ModalStack();
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        if (!it->window)
            continue;
        if (auto* dialog = qobject_cast<QDialog*>(it->window.data()))
            dialog->done(it->cancelResult);
        else if (auto* menu = qobject_cast<QMenu*>(it->window.data()))
            menu->close();
    }
}

// The teardown waits for the stack of modal loops to unwind: each closed loop returns
// to its caller, whose code after it runs with the cancelled answer first.
void RunTeardownWhenUnwound() {
    QTimer::singleShot(0, qApp, [] {
        if (ModalDepth() > 0) {
            EndLoops(); // a caller may have opened another one meanwhile
            RunTeardownWhenUnwound();
            return;
        }
        if (auto teardown = std::exchange(Teardown(), nullptr))
            teardown();
    });
}

} // namespace

int DefaultAnswer(unsigned type) {
    switch (type & 0xF) {
    case MB_YESNO:
        return IDNO;
    case MB_OKCANCEL:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

int messageBox(const std::string& text, unsigned type, QWidget* parent) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return ShowBox(text, type, parent);
    // From a worker: the user-interface thread shows the box and only this thread waits.
    auto box = std::make_shared<WorkerBox>();
    {
        std::lock_guard lock(g_workerMutex);
        if (g_ending.load()) {
            PrintUnanswered(text);
            return DefaultAnswer(type);
        }
        g_workerBoxes.emplace_back(box, type);
    }
    QMetaObject::invokeMethod(
        app,
        [box, text, type] {
            if (box->Begin())
                box->Answer(ShowBox(text, type, nullptr));
        },
        Qt::QueuedConnection);
    const int result = box->Wait();
    std::lock_guard lock(g_workerMutex);
    g_workerBoxes.erase(std::find_if(g_workerBoxes.begin(), g_workerBoxes.end(),
                                     [&](const auto& entry) { return entry.first == box; }));
    return result;
}

int runModal(QDialog& dialog) {
    if (auto hook = Current(g_modalHook))
        return hook(dialog);
    if (g_ending.load())
        return IDCANCEL; // nothing opens while the program ends
    ModalScope scope(&dialog, IDCANCEL);
    return dialog.exec();
}

int trackPopupMenu(QMenu& menu, const QPoint& screenPos) {
    if (auto hook = Current(g_menuHook))
        return hook(menu, screenPos);
    if (g_ending.load())
        return 0;
    ModalScope scope(&menu, 0);
    QAction* chosen = menu.exec(screenPos);
    return chosen && !g_ending.load() ? chosen->data().toInt() : 0;
}

void SetNonInteractive(bool on) {
    g_nonInteractive.store(on);
}

void EndProgram(std::function<void()> teardown) {
    {
        std::lock_guard lock(g_workerMutex);
        g_ending.store(true);
    }
    if (teardown && !Teardown())
        Teardown() = std::move(teardown);
    EndLoops();
    if (ModalDepth() > 0) {
        RunTeardownWhenUnwound();
        return;
    }
    if (auto run = std::exchange(Teardown(), nullptr))
        run();
}

bool IsEnding() {
    return g_ending.load();
}

int ModalDepth() {
    return static_cast<int>(ModalStack().size());
}

void ResetEnding() {
    std::lock_guard lock(g_workerMutex);
    g_ending.store(false);
    Teardown() = nullptr;
}

bool openUrl(const std::string& url) {
    if (auto hook = Current(g_openUrlHook))
        return hook(url);
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url), QUrl::StrictMode));
}

void OpenWebAddress(const std::string& url, QWidget* parent) {
    if (!openUrl(url))
        messageBox("No web browser could be started for this address. Copy it from here into "
                   "your browser:\n\n" +
                       url,
                   MB_OK | MB_ICONINFORMATION, parent);
}

void SetMessageBoxHook(MessageBoxHook hook) {
    Install(g_messageBoxHook, std::move(hook));
}

void SetModalHook(ModalHook hook) {
    Install(g_modalHook, std::move(hook));
}

void SetMenuHook(MenuHook hook) {
    Install(g_menuHook, std::move(hook));
}

void SetOpenUrlHook(OpenUrlHook hook) {
    Install(g_openUrlHook, std::move(hook));
}

} // namespace ui
