#include "ui/common/Ui.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QVariant>
#include <QWidget>
#include <initializer_list>
#include <utility>

#include "res/Resources.h"

namespace veltrin::ui {

namespace {
QString g_helpTopic;
std::function<void()> g_helpHandler;
MessageHook g_messageHook;
std::function<void()> g_documentChanged;

// F1 anywhere: the window that has the key decides the topic, then help is asked for.
class F1Filter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) return false;
        QWidget* window = static_cast<QWidget*>(watched)->window();
        QVariant topic = window ? window->property(kHelpTopicProperty) : QVariant();
        if (topic.isValid()) {
            SetHelpTopic(topic.toString());
            RequestHelp();
            return true;
        }
        // The parameter dialogs answer F1 themselves with their own topic.
        if (window && window->inherits("veltrin::ui::ParameterDialog")) return false;
        if (window) {
            if (auto* help = window->findChild<QAbstractButton*>("57670"); help && help->isEnabled()) {
                help->click();
                return true;
            }
        }
        RequestHelp();
        return true;
    }
};
}  // namespace

QString Str(unsigned id) { return QString::fromStdString(ResString(id)); }
QString Res(const char* key) { return QString::fromStdString(ResText(key)); }
QString Res(const QString& key) { return QString::fromStdString(ResText(key.toStdString())); }

QIcon ProgramIcon() {
    QIcon icon(Res("icon.128"));
    for (int size : {16, 32})
        icon.addFile(QStringLiteral(":/veltrin/pictures/128-%1.png").arg(size), QSize(size, size));
    return icon;
}

namespace {
QMessageBox::StandardButton RunMessage(
    QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton,
    std::initializer_list<std::pair<QMessageBox::StandardButton, QString>> texts) {
    if (g_messageHook) return g_messageHook(text, buttons);
    QMessageBox box(QMessageBox::Warning, Str(57344), text, buttons, parent);
    box.setObjectName("VeltrinMessageBox");
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    for (const auto& [button, label] : texts) {
        if (QAbstractButton* b = box.button(button)) b->setText(label);
    }
    // The wait cursor of a running operation must not hide the box's buttons.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    QApplication::restoreOverrideCursor();
    return pressed;
}
}  // namespace

QMessageBox::StandardButton ShowMessage(QWidget* parent, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) {
    return RunMessage(parent, text, buttons, defaultButton, {});
}

QMessageBox::StandardButton AskSaveChanges(QWidget* parent, const QString& text) {
    return RunMessage(parent, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                      QMessageBox::Save,
                      {{QMessageBox::Save, Res("app.button.save")},
                       {QMessageBox::Discard, Res("app.button.discard")},
                       {QMessageBox::Cancel, Res("app.button.cancel")}});
}

void DocumentChanged() {
    if (g_documentChanged) g_documentChanged();
}
void SetDocumentChangedHandler(std::function<void()> handler) { g_documentChanged = std::move(handler); }

void SetMessageHook(MessageHook hook) { g_messageHook = std::move(hook); }

WaitCursor::WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
WaitCursor::~WaitCursor() { QApplication::restoreOverrideCursor(); }

int DluX(int units) {
    QFontMetrics fm(QApplication::font());
    // The average width of the letters, as the dialog manager measures it.
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    int base = (fm.horizontalAdvance(letters) / 26 + 1) / 2;
    return (units * base + 2) / 4;
}

int DluY(int units) {
    QFontMetrics fm(QApplication::font());
    return (units * fm.height() + 4) / 8;
}

void SetHelpTopic(const QString& topic) { g_helpTopic = topic; }
QString HelpTopic() { return g_helpTopic; }
void ClearHelpTopic() { g_helpTopic.clear(); }
void SetHelpHandler(std::function<void()> handler) { g_helpHandler = std::move(handler); }
void RequestHelp() {
    if (g_helpHandler) g_helpHandler();
    else g_helpTopic.clear();
}

void SetDialogHelpTopic(QWidget* dialog, const QString& topic) {
    if (dialog) dialog->setProperty(kHelpTopicProperty, topic);
}

void InstallF1Handler() {
    static F1Filter* filter = nullptr;
    if (filter || !qApp) return;
    filter = new F1Filter(qApp);
    qApp->installEventFilter(filter);
}

}  // namespace veltrin::ui
