// Where the chart goes besides its window: a BMP file, the clipboard, a printer page; and
// the control's own context menu.
#include <QApplication>
#include <QClipboard>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "Graph.h"
#include "Menu.h"
#include "Printer.h"
#include "ScaledCanvas.h"
#include "bmpCodec.h"
#include "fileIo.h"
#include "internal/QtBridge.h"

namespace {

// The control's size in whole pixels, at least one by one.
std::pair<int, int> pixelSize(const Rect& r) {
    return {std::max(1, int(std::lround(r.width))), std::max(1, int(std::lround(r.height)))};
}

// The bytes written under a temporary name beside `path`, then renamed over it; on any
// failure the temporary file is removed and `path` is as it was.
Status writeReplacing(const std::string& path, const std::vector<uint8_t>& bytes) {
    namespace fs = std::filesystem;
    fs::path target(path);
    std::string temp = (target.parent_path() / ("." + target.filename().string() + ".part")).string();
    std::unique_ptr<File> file;
    Status s = openFile(temp, OpenMode::Create, &file);
    if (s.ok()) s = file->write(0, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (s.ok()) s = file->sync();
    file.reset();
    if (s.ok()) s = posixio::renameFile(temp, path);
    if (!s.ok()) (void)posixio::removeFile(temp);  // the first failure is the one told
    return s;
}

}  // namespace

bool TGraph::Save2Bmp(const std::string& file) {
    error_.clear();
    if (file.empty()) {
        error_ = "no file name for the chart's picture";
        return false;
    }
    auto [w, h] = pixelSize(pixelRect());
    Status s = writeReplacing(file, encodeBmp24(render(w, h)));
    if (!s.ok()) {
        error_ = "cannot write " + file + ": " + s.message();
        return false;
    }
    return true;
}

void TGraph::Copy2Clipboard() {
    auto [w, h] = pixelSize(pixelRect());
    QApplication::clipboard()->setImage(toQImage(render(w, h)));
}

void TGraph::Print(TPrinter& printer, double top, double left, double width, double height) {
    // Screen distances become printer distances: the printer's dots per inch over 88
    // across and over 90 down.
    double dpi = printer.dpi() > 0 ? printer.dpi() : 96;
    ScaledCanvas moved(printer.page(), 1, Point{left, top});
    draw(moved, width, height, dpi / 88, dpi / 90);
}

void TGraph::popupMenu(int row, int col) {
    auto toggle = [this](bool& flag) {
        return [this, &flag] {
            flag = !flag;
            Refresh();
        };
    };
    auto type = [this](int t) {
        return [this, t] {
            nType = t;
            Refresh();
        };
    };
    auto item = [](std::function<void()> action, bool checked) {
        return MenuItemOptions{.action = std::move(action), .checkable = true, .checked = checked};
    };
    auto menu = TMenu::popup([&](TMenu& m) {
        m.add("&Barras", item(type(kBars), nType == kBars));
        m.add("&Líneas", item(type(kLines), nType == kLines));
        m.add("&Puntos", item(type(kPoints), nType == kPoints));
        m.add("P&astel", item(type(kPie), nType == kPie));
        m.separator();
        m.add("Vista en &3D", item(toggle(l3D), l3D));
        m.add("Rejilla &horizontal", item(toggle(lxGrid), lxGrid));
        m.add("Rejilla &vertical", item(toggle(lyGrid), lyGrid));
        m.add("Le&yenda", item(toggle(lLegends), lLegends));
        m.add("Valor&es", item(toggle(lViewVal), lViewVal));
        m.separator();
        m.add("&Copiar", [this] { Copy2Clipboard(); });
    });
    Rect at = pixelRect();
    menu->activate(int(at.top) + row, int(at.left) + col, &parent());
}
