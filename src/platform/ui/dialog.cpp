#include "platform/ui/dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimerEvent>
#include <QValidator>

namespace ui {

namespace {

// Text fields take no control characters: a NUL would cut short any text it reaches (a
// statement for the data source, a file name), and none of them belongs in a name.
class PrintableOnly final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (const QChar c : input)
            if (c.category() == QChar::Other_Control)
                return Invalid;
        return Acceptable;
    }
};

} // namespace

CDialog::CDialog(int templateId, QWidget* parent)
    : QDialog(parent), m_templateId(templateId), m_dlu(DialogFont()),
      m_mailbox(std::make_shared<Mailbox>(this)) {
    setFont(DialogFont());
    setWindowTitle(kAppTitle);
}

CDialog::~CDialog() {
    m_mailbox->Close();
}

void CDialog::EnsureInitialized() {
    if (m_initialized)
        return;
    m_initialized = true;
    OnInitDialog();
}

int CDialog::DoModal() {
    EnsureInitialized();
    m_ending = false;
    const int result = runModal(*this);
    return result;
}

void CDialog::Create(bool visible) {
    EnsureInitialized();
    if (visible)
        show();
}

void CDialog::EndDialog(int result) {
    m_nResult = result;
    m_ending = true;
    done(result);
}

std::string CDialog::GetDlgItemText(int id) const {
    QWidget* w = GetDlgItem(id);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return S(e->text());
    if (auto* l = qobject_cast<QLabel*>(w))
        return S(l->text());
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return S(b->text());
    if (auto* c = qobject_cast<QComboBox*>(w))
        return S(c->currentText());
    return {};
}

void CDialog::SetDlgItemText(int id, const std::string& text) {
    QWidget* w = GetDlgItem(id);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(Q(text));
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(LabelText(text));
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(ButtonText(text));
}

void CDialog::SetTimer(int id, int milliseconds) {
    KillTimer(id);
    const int qtId = startTimer(milliseconds, Qt::PreciseTimer);
    if (qtId == 0)
        return;
    m_timers[id] = qtId;
    m_timerIds[qtId] = id;
}

void CDialog::KillTimer(int id) {
    auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    killTimer(it->second);
    m_timerIds.erase(it->second);
    m_timers.erase(it);
}

void CDialog::PostMessage(unsigned message, msg::WPARAM wParam, msg::LPARAM lParam) {
    postMessage(this, message, wParam, lParam);
}

void CDialog::SetTemplateSize(int w, int h) {
    setFixedSize(m_dlu.Size(w, h));
}

void CDialog::Place(QWidget* control, int id, int x, int y, int w, int h) {
    if (id >= 0)
        SetControlId(control, id);
    if (auto* edit = qobject_cast<QLineEdit*>(control); edit && !edit->validator())
        edit->setValidator(new PrintableOnly(edit));
    control->setGeometry(m_dlu.Rect(x, y, w, h));
}

QLabel* CDialog::AddStatic(int id, const std::string& caption, int x, int y, int w, int h,
                           Qt::Alignment align) {
    auto* label = new QLabel(LabelText(caption), this);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(align);
    label->setWordWrap(caption.find('\n') == std::string::npos && (align & Qt::AlignLeft));
    Place(label, id, x, y, w, h);
    return label;
}

QGroupBox* CDialog::AddGroup(int id, const std::string& caption, int x, int y, int w, int h) {
    auto* box = new QGroupBox(ButtonText(caption), this);
    // The caption sits on the frame's top line, half a text line below the group's top.
    box->setStyleSheet(
        QStringLiteral("QGroupBox { border: 1px solid #a0a0a0; margin-top: %1px; }"
                       "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }")
            .arg(fontMetrics().height() / 2));
    Place(box, id, x, y, w, h);
    box->lower();
    return box;
}

void CDialog::SetPageColor(COLORREF color) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(color));
    pal.setColor(QPalette::WindowText, Qt::black);
    pal.setColor(QPalette::Button, ToQColor(color));
    setPalette(pal);
    setAutoFillBackground(true);
}

void CDialog::setVisible(bool visible) {
    if (visible && isWindow() && parentWidget() && !isVisible()) {
        const bool ownerOnTop =
            parentWidget()->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        if (ownerOnTop && !windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            setWindowFlag(Qt::WindowStaysOnTopHint, true);
    }
    QDialog::setVisible(visible);
}

void CDialog::OnUserMessage(unsigned message, msg::WPARAM, msg::LPARAM) {
    if (message == WM_TIMER_POSTED)
        OnTimer(0);
}

bool CDialog::event(QEvent* e) {
    if (e->type() == UserMessageEvent::EventType()) {
        auto* m = static_cast<UserMessageEvent*>(e);
        OnUserMessage(m->message(), m->wParam(), m->lParam());
        return true;
    }
    return QDialog::event(e);
}

void CDialog::timerEvent(QTimerEvent* e) {
    auto it = m_timerIds.find(e->timerId());
    if (it != m_timerIds.end())
        OnTimer(it->second);
    else
        QDialog::timerEvent(e);
}

void CDialog::keyPressEvent(QKeyEvent* e) {
    if (e->matches(QKeySequence::Cancel) || e->key() == Qt::Key_Escape) {
        OnCancel();
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        // Enter presses the focused push button; elsewhere it is OK.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
            return;
        }
        OnOK();
        return;
    }
    QDialog::keyPressEvent(e);
}

void CDialog::closeEvent(QCloseEvent* e) {
    if (m_ending || !isVisible()) {
        e->accept();
        return;
    }
    e->ignore();
    OnCancel();
}

} // namespace ui
