#include "ErrorDialog.h"

#include <QMessageBox>
#include <QPushButton>

#include "App.h"
#include "internal/QtBridge.h"

namespace {

std::string recordText(const ErrorRecord& r) {
    std::string s = "Error " + (r.subsystem.empty() ? std::string("BASE") : r.subsystem) + "/" +
                    std::to_string(r.subCode) + "  " + r.description;
    s += "\nCódigo genérico: " + std::to_string(r.genCode);
    if (!r.fileName.empty()) s += "\nArchivo: " + r.fileName;
    if (!r.operation.empty()) s += "\nOperación: " + r.operation;
    if (r.osCode != 0) s += "\nError del sistema: " + std::to_string(r.osCode);
    return s;
}

}  // namespace

ErrorAction showErrorDialog(const ErrorRecord& r) {
    appEnsure();
    QMessageBox box(QMessageBox::Critical, QStringLiteral(" Error de ejecución"),
                    qs(recordText(r)));
    QPushButton* retry = r.canRetry
                             ? box.addButton(QStringLiteral("&Reintentar"), QMessageBox::AcceptRole)
                             : nullptr;
    QPushButton* go = r.canDefault
                          ? box.addButton(QStringLiteral("&Continuar"), QMessageBox::AcceptRole)
                          : nullptr;
    QPushButton* quit = box.addButton(QStringLiteral("&Salir"), QMessageBox::RejectRole);
    box.setDefaultButton(retry ? retry : go ? go : quit);
    box.setEscapeButton(go ? go : quit);
    box.exec();
    if (retry && box.clickedButton() == retry) return ErrorAction::Retry;
    if (box.clickedButton() == quit) quitEventLoop(1);
    return ErrorAction::Default;
}

ErrorHandler installErrorDialog() {
    return setErrorHandler(showErrorDialog);
}
