#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>

#include <QAbstractButton>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>

#include "platform/base/colorref.h"
#include "platform/base/messages.h"
#include "platform/ui/dialog_units.h"
#include "platform/ui/message_box.h"
#include "platform/ui/post_message.h"
#include "platform/ui/ui_helpers.h"

namespace ui {

// Window message numbers of our own for the timer tick a window posts to itself.
constexpr unsigned WM_TIMER_POSTED = 0x0113;

// The base of every window of the program: it builds its template in dialog units, keeps
// numeric control ids, window timers by id and posted messages, and ends with a result.
class CDialog : public QDialog {
    Q_OBJECT
public:
    CDialog(int templateId, QWidget* parent = nullptr);
    ~CDialog() override;

    int TemplateId() const { return m_templateId; }
    const DialogUnits& Dlu() const { return m_dlu; }

    // Runs OnInitDialog once (the first DoModal or Create does it).
    void EnsureInitialized();
    // Modal run through ui::runModal (test hook included).
    int DoModal();
    // Modeless: initialise, then show unless the template starts hidden.
    void Create(bool visible = true);
    void EndDialog(int result);
    int Result() const { return m_nResult; }

    // Controls.
    template <class T> T* Control(int id) const { return findControl<T>(this, id); }
    QWidget* GetDlgItem(int id) const { return findControl<QWidget>(this, id); }
    std::string GetDlgItemText(int id) const;
    void SetDlgItemText(int id, const std::string& text);

    // Window timers with the program's ids.
    void SetTimer(int id, int milliseconds);
    void KillTimer(int id);
    bool HasTimer(int id) const { return m_timers.count(id) != 0; }

    // Posts a message to this window; and a way for worker threads to do the same.
    void PostMessage(unsigned message, msg::WPARAM wParam = 0, msg::LPARAM lParam = 0);
    msg::Poster Poster() const { return MakePoster(m_mailbox); }

protected:
    // Template construction: the client area in dialog units, and controls placed in them.
    void SetTemplateSize(int w, int h);
    template <class T, class... Args> T* Add(int id, int x, int y, int w, int h, Args&&... args) {
        T* control = new T(std::forward<Args>(args)..., this);
        Place(control, id, x, y, w, h);
        return control;
    }
    void Place(QWidget* control, int id, int x, int y, int w, int h);
    // Runs `slot` (a member function of the window, or a functor) when the button with the id is
    // clicked.
    template <class C> void OnClicked(int id, void (C::*slot)()) {
        connect(Control<QAbstractButton>(id), &QAbstractButton::clicked, static_cast<C*>(this),
                slot);
    }
    template <class F> void OnClicked(int id, F slot) {
        connect(Control<QAbstractButton>(id), &QAbstractButton::clicked, this, std::move(slot));
    }
    QLabel* AddStatic(int id, const std::string& caption, int x, int y, int w, int h,
                      Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop);
    // A group frame with its caption on the frame's top line; it stays behind the controls.
    QGroupBox* AddGroup(int id, const std::string& caption, int x, int y, int w, int h);
    // Page look: one solid background, black static texts; edits and lists keep their own.
    void SetPageColor(COLORREF color);

    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual void OnTimer(int id) { (void)id; }
    virtual void OnUserMessage(unsigned message, msg::WPARAM wParam, msg::LPARAM lParam);

    bool event(QEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override { OnCancel(); }
    // A window of its own that an always-on-top window owns stays on top too; below its
    // owner it would open hidden under it.
    void setVisible(bool visible) override;

private:
    int m_templateId;
    DialogUnits m_dlu;
    bool m_initialized = false;
    bool m_ending = false;
    int m_nResult = 0;
    std::map<int, int> m_timers;   // our id -> Qt's timer id
    std::map<int, int> m_timerIds; // Qt's timer id -> our id
    std::shared_ptr<Mailbox> m_mailbox;
};

} // namespace ui
