#include "MsgBox.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

#include "App.h"
#include "Control.h"
#include "Dialog.h"
#include "internal/QtBridge.h"

namespace {

int ask(QMessageBox::Icon icon, const std::string& text, const std::string& title, bool question,
        bool yesFirst) {
    appEnsure();
    QMessageBox box(icon, QString(), qs(text));
    box.setWindowFlags(kDialogFlags);
    setTitleOf(&box, title);
    // The box grows to its title, which the title bar would otherwise cut short.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(titleBarWidth(qs(title)), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    if (!question) {
        QPushButton* ok = box.addButton(QStringLiteral("&Aceptar"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
        box.exec();
        return 1;
    }
    QPushButton* yes = box.addButton(QStringLiteral("&Sí"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yesFirst ? yes : no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? 1 : 0;
}

}  // namespace

bool MsgYesNo(const std::string& text, const std::string& title) {
    return ask(QMessageBox::Question, text, title, true, true) == 1;
}
bool MsgNoYes(const std::string& text, const std::string& title) {
    return ask(QMessageBox::Question, text, title, true, false) == 1;
}
void MsgAlert(const std::string& text, const std::string& title) {
    ask(QMessageBox::Warning, text, title, false, true);
}
void MsgInfo(const std::string& text, const std::string& title) {
    ask(QMessageBox::Information, text, title, false, true);
}

Value MsgRun(const std::string& text, const std::string& title,
             const std::function<Value()>& action) {
    TFont font;
    int width = std::max({220, font.textWidth(text) + 48, titleBarWidth(title)});
    TDialog box(
        DialogOptions{.title = title, .width = width, .height = 64, .units = Units::Pixels});
    box.add<TSay>(SayOptions{.rect = {16, 8, double(width - 16), 32},
                             .text = text,
                             .align = TextAlign::Center | TextAlign::VCenter,
                             .font = font});
    bool running = true;
    box.bValid = [&running](TDialog&) { return !running; };
    struct Closer {
        TDialog& box;
        bool& running;
        ~Closer() {
            running = false;
            box.end();
        }
    } closer{box, running};
    box.activate(ActivateOptions{.modal = true, .wait = false});
    SysRefresh();  // paint before the action takes the thread
    return action();
}
