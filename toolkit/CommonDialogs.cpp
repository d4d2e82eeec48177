#include "CommonDialogs.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QPushButton>
#include <QVBoxLayout>

#include "App.h"
#include "Window.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

namespace {

CommonDialogAnswers& answers() {
    static CommonDialogAnswers a;
    return a;
}

QWidget* topOf(TWindowBase* parent) {
    return parent ? parent->impl().top.data() : nullptr;
}

FontSpec fromQFont(const QFont& f, const FontSpec& before) {
    FontSpec s = before;
    s.face = utf8(f.family());
    s.height = QFontInfo(f).pixelSize();
    s.bold = f.bold();
    s.italic = f.italic();
    return s;
}

void paintSwatch(QPushButton* b, Color c) {
    QPixmap swatch(16, 16);
    swatch.fill(toQColor(c));
    b->setIcon(QIcon(swatch));
}

}  // namespace

void setCommonDialogsForTests(CommonDialogAnswers a) {
    answers() = std::move(a);
}

std::optional<Color> chooseColor(Color initial, TWindowBase* parent) {
    if (answers().color) return answers().color(initial);
    appEnsure();
    QColorDialog dialog(toQColor(initial), topOf(parent));
    dialog.setWindowFlags(kDialogFlags);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return fromQColor(dialog.selectedColor());
}

std::optional<FontChoice> chooseFont(const FontSpec& font, Color color, TWindowBase* parent) {
    if (answers().font) return answers().font(font, color);
    appEnsure();
    QDialog box(topOf(parent));
    box.setWindowFlags(kDialogFlags);
    setTitleOf(&box, "Fuente");
    auto* layout = new QVBoxLayout(&box);
    auto* fonts = new QFontDialog(toQFont(font), &box);
    fonts->setWindowFlags(Qt::Widget);
    fonts->setOptions(QFontDialog::NoButtons);
    layout->addWidget(fonts);
    Color chosen = color;
    auto* colour = new QPushButton(QStringLiteral("&Color..."), &box);
    paintSwatch(colour, chosen);
    QObject::connect(colour, &QPushButton::clicked, [&] {
        QColorDialog dialog(toQColor(chosen), &box);
        dialog.setWindowFlags(kDialogFlags);
        if (dialog.exec() != QDialog::Accepted) return;
        chosen = fromQColor(dialog.selectedColor());
        paintSwatch(colour, chosen);
    });
    layout->addWidget(colour, 0, Qt::AlignLeft);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Aceptar"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Cancelar"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    layout->addWidget(buttons);
    if (box.exec() != QDialog::Accepted) return std::nullopt;
    return FontChoice{fromQFont(fonts->currentFont(), font), chosen};
}

std::optional<std::string> chooseSaveFile(const std::string& title, const std::string& filter,
                                          const std::string& start, TWindowBase* parent) {
    if (answers().saveFile) return answers().saveFile(title, filter, start);
    appEnsure();
    QFileDialog dialog(topOf(parent), qs(title), qs(start), qs(filter));
    dialog.setWindowFlags(kDialogFlags);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return utf8(dialog.selectedFiles().front());
}
