// urnalia_datos: writes the sample "datos" tables. See datosUsage() for the command line.
#include <cstdio>
#include <string>
#include <vector>

#include "datosWriter.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    datos::DatosOptions options;
    bool help = false;
    std::string error;
    if (!datos::parseDatosArgs(args, &options, &help, &error)) {
        std::fprintf(stderr, "urnalia_datos: %s\n\n%s", error.c_str(), datos::datosUsage().c_str());
        return 2;
    }
    if (help) {
        std::fputs(datos::datosUsage().c_str(), stdout);
        return 0;
    }
    if (options.padronRows >= 100000) {
        options.progress = [](std::string_view file, int percent) {
            std::fprintf(stderr, "%.*s: %d%%\n", int(file.size()), file.data(), percent);
        };
    }
    std::vector<datos::TableSummary> summary;
    Status s = datos::writeDatos(options, &summary);
    for (const datos::TableSummary& t : summary) {
        if (t.kept)
            std::printf("%s: already there, left as it was\n", t.file.c_str());
        else
            std::printf("%s: %llu rows, %llu of them deleted\n", t.file.c_str(),
                        (unsigned long long)t.rows, (unsigned long long)t.deleted);
    }
    if (!s.ok()) {
        std::fprintf(stderr, "urnalia_datos: %s\n", s.toString().c_str());
        return 1;
    }
    return 0;
}
