// How the count window's work grows with the stations of its count: the same operations
// with "Presidente" holding 100 stations and holding 10,000 (offscreen).
//
//   capture      one station through "&Agregar": the capture dialog opened, 35 votes typed
//                as key events, accepted, the totals updated, the row stored, the window
//                brought up to date
//   open-count   "Presidente" chosen and the first page of its window painted
//   allocate     "&Calcular representantes", up to the first paint of " Tabla de reparto"
//
// Usage: conteo_scale [--small N] [--large N] [--repeat N]
// Prints the median time of each operation at each size, then "ratio capture 10k/100 =
// X.XX" and the same for open-count and allocate.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "App.h"
#include "Dialog.h"
#include "GuiHarness.h"
#include "TableLayer.h"
#include "arrayRdd.h"
#include "cAbreBro.h"
#include "embeddedResources.h"
#include "mainArchivo.h"
#include "mainConfig.h"
#include "wAbreBro.h"

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}
double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
std::string shortCount(long n) {
    return n >= 1000 && n % 1000 == 0 ? std::to_string(n / 1000) + "k" : std::to_string(n);
}

// `stations` stations of P00 and their totals, written straight into the tables.
void llena(long stations) {
    DBUSEAREA(true, "ARRAYRDD", "votos", "V", false);
    DBZAP_();  // a fresh table for each size
    std::vector<double> totals(36, 0);
    for (long s = 0; s < stations; ++s) {
        std::vector<Value> row{Value(double(1 + s / 2)), Value(s % 2 ? "C1" : "B1")};
        double total = 0;
        for (int p = 0; p < 35; ++p) {
            double v = double((s * 7 + p * 13) % 50);
            row.push_back(Value(v));
            totals[size_t(p)] += v;
            total += v;
        }
        row.push_back(Value(total));
        totals[35] += total;
        row.push_back(Value("P"));
        row.push_back(Value(0.0));
        DBAPPEND();
        DBPUTREC(row);
    }
    DBCLOSEAREA();
    DBUSEAREA(true, "ARRAYRDD", "conteos", "C", true);
    ORDSETFOCUS(Value("puesto"));
    if (!DBSEEK(Value("P00"))) {
        DBAPPEND();
        FIELDPUT(FIELDPOS("PUESTO"), Value("P"));
    }
    std::vector<Value> t;
    for (double v : totals) t.push_back(Value(v));
    DBPUTREC(t);
    DBCLOSEAREA();
}

archivo* abierto() {
    return static_cast<archivo*>(abcMaster::hWnd()["votos"].controlador);
}

struct Figures {
    double capture = 0, open = 0, allocate = 0;
};

Figures mide(long stations, int repeat, GuiHarness& harness) {
    llena(stations);
    Figures f;
    std::vector<double> open, capture, allocate;
    for (int r = 0; r < repeat; ++r) {
        abcMasterCierraTodo();
        auto t = Clock::now();
        ABRIR_CONTEO("P", 0);
        archivo* a = abierto();
        a->oWnd->oBrw->Refresh();
        open.push_back(since(t));

        int next = int(stations / 2) + 1000 + r;
        harness.onNextModal([next](WindowView& v) {
            v.type(std::to_string(next));
            v.key(Key::Enter);
            v.type("B1");
            v.key(Key::Enter);
            for (int p = 0; p < 35; ++p) {
                v.type(std::to_string((p * 31 + next) % 200));
                v.key(Key::Enter);
            }
            v.press("&Aceptar");
        });
        t = Clock::now();
        a->mant_add();
        a->oWnd->oBrw->upStable();
        capture.push_back(since(t));

        harness.onNextModal([](WindowView& v) {
            (void)v.grab();  // painted
            v.key(Key::Escape);
        });
        t = Clock::now();
        a->votos_calculaRep();
        allocate.push_back(since(t));
    }
    abcMasterCierraTodo();
    return {median(capture), median(open), median(allocate)};
}

}  // namespace

int main(int argc, char** argv) {
    long small = 100, large = 10000;
    int repeat = 7;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--small"))
            small = std::atol(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--large"))
            large = std::atol(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--repeat"))
            repeat = std::max(1, std::atoi(argv[i + 1]));
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    appEnsure();
    registerEmbeddedResources();
    arrayRddRegister();
    TDialog logos(DialogOptions{.title = " logos"});
    oConfig = std::make_unique<config>();
    oConfig->New(&logos);
    GuiHarness harness;
    Figures s = mide(small, repeat, harness);
    Figures l = mide(large, repeat, harness);
    std::printf("stations       %10ld %10ld\n", small, large);
    std::printf("capture    ms  %10.2f %10.2f\n", s.capture * 1e3, l.capture * 1e3);
    std::printf("open-count ms  %10.2f %10.2f\n", s.open * 1e3, l.open * 1e3);
    std::printf("allocate   ms  %10.2f %10.2f\n", s.allocate * 1e3, l.allocate * 1e3);
    std::string ratio = shortCount(large) + "/" + shortCount(small);
    std::printf("ratio capture %s = %.2f\n", ratio.c_str(), l.capture / s.capture);
    std::printf("ratio open-count %s = %.2f\n", ratio.c_str(), l.open / s.open);
    std::printf("ratio allocate %s = %.2f\n", ratio.c_str(), l.allocate / s.allocate);
    oConfig.reset();
    return 0;
}
