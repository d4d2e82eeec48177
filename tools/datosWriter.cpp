#include "datosWriter.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "datosRows.h"
#include "dbfTable.h"
#include "fileIo.h"

namespace datos {
namespace {

namespace fs = std::filesystem;

Status fileError(const fs::path& path, const std::string& what, const std::error_code& ec) {
    return Status::IOError(path.string() + ": " + what + ": " + ec.message());
}

using Progress = std::function<void(std::string_view file, int percent)>;

// Writes `rows` rows that `nextRow` makes, in order, into folder/name.dbf.
Status writeTable(const DatosOptions& options, const std::string& name, const Structure& structure,
                  uint64_t rows, const std::function<Row()>& nextRow, const Progress& progress,
                  std::vector<TableSummary>* summary) {
    TableSummary done{name + ".dbf"};
    fs::path path = fs::path(options.folder) / done.file;
    std::error_code ec;
    if (options.keepExisting && fs::exists(path, ec)) {
        done.kept = true;
        summary->push_back(done);
        return Status::OK();
    }
    fs::path temporary = path;
    temporary += ".tmp";
    std::unique_ptr<File> file;
    RETURN_IF_ERROR(openFile(temporary.string(), OpenMode::Create, &file));
    std::unique_ptr<dbf::DbfTable> table;
    dbf::DbfTable::Options dbfOptions;
    dbfOptions.today = fechaDeCorte();
    Status s = dbf::DbfTable::create(std::move(file), nullptr, structure, dbfOptions, &table);
    int reported = 0;
    for (uint64_t i = 0; s.ok() && i < rows; ++i) {
        Row row = nextRow();
        s = table->appendBatched(row.values, row.deleted);
        if (row.deleted) ++done.deleted;
        int percent = int((i + 1) * 100 / rows);
        if (progress && percent >= reported + 5) {
            reported = percent - percent % 5;
            progress(done.file, reported);
        }
    }
    if (s.ok()) s = table->commit();
    table.reset();
    if (s.ok()) {
        fs::rename(temporary, path, ec);
        if (ec) s = fileError(path, "cannot replace", ec);
    }
    if (!s.ok()) {
        fs::remove(temporary, ec);
        return s;
    }
    fs::path index = path;
    index.replace_extension(".cdx");
    if (fs::remove(index, ec), ec) return fileError(index, "cannot remove", ec);
    done.rows = rows;
    summary->push_back(done);
    return Status::OK();
}

Status writeRows(const DatosOptions& options, const std::string& name, const Structure& structure,
                 const std::vector<Row>& rows, std::vector<TableSummary>* summary) {
    size_t next = 0;
    return writeTable(
        options, name, structure, rows.size(), [&] { return rows[next++]; }, {}, summary);
}

bool parseCount(std::string_view text, uint64_t* out) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *out);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

}  // namespace

Status writeDatos(const DatosOptions& options, std::vector<TableSummary>* summary) {
    std::error_code ec;
    fs::create_directories(options.folder, ec);
    if (ec) return fileError(options.folder, "cannot create the folder", ec);
    if (!fs::is_directory(options.folder, ec))
        return Status::InvalidArgument(options.folder + ": not a folder");
    Catalogo catalogo(options.seed);
    RETURN_IF_ERROR(
        writeRows(options, "casillas", casillasStructure(), catalogo.casillas(), summary));
    RETURN_IF_ERROR(
        writeRows(options, "colonias", coloniasStructure(), catalogo.colonias(), summary));
    Padron padron(catalogo, options.seed);
    return writeTable(
        options, "padron", padronStructure(), options.padronRows, [&] { return padron.next(); },
        options.progress, summary);
}

bool parseDatosArgs(const std::vector<std::string>& args, DatosOptions* out, bool* help,
                    std::string* error) {
    *help = false;
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            *help = true;
            return true;
        }
        if (a == "--keep") {
            out->keepExisting = true;
        } else if (a == "--seed") {
            if (i + 1 == args.size() || !parseCount(args[i + 1], &out->seed)) {
                *error = "--seed needs a whole number from 0 to 18446744073709551615";
                return false;
            }
            ++i;
        } else if (a.starts_with("-") && a.size() > 1) {
            *error = "unknown option " + a;
            return false;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.empty() || positional.size() > 2) {
        *error = positional.empty() ? "the folder is missing" : "too many arguments";
        return false;
    }
    out->folder = positional[0];
    if (out->folder.empty()) {
        *error = "the folder name is empty";
        return false;
    }
    if (positional.size() == 2 &&
        (!parseCount(positional[1], &out->padronRows) || out->padronRows > kMaxPadronRows)) {
        *error = "PADRON_ROWS must be a whole number from 0 to " + std::to_string(kMaxPadronRows) +
                 ", not '" + positional[1] + "'";
        return false;
    }
    return true;
}

std::string datosUsage() {
    return "usage: urnalia_datos FOLDER [PADRON_ROWS] [--seed N] [--keep]\n"
           "\n"
           "Writes the sample tables casillas.dbf, colonias.dbf and padron.dbf into FOLDER\n"
           "(created when missing), replacing them and removing their stale .cdx indexes.\n"
           "\n"
           "  PADRON_ROWS  voters in padron.dbf, 0 to " +
           std::to_string(kMaxPadronRows) + " (default " + std::to_string(kDefaultPadronRows) +
           ")\n"
           "  --seed N     seed of the data (default " +
           std::to_string(kDefaultSeed) +
           ")\n"
           "  --keep       leave tables that already exist as they are\n"
           "\n"
           "The catalogue has a fixed size whatever PADRON_ROWS: " +
           std::to_string(kSecciones) +
           " sections of the 16 delegations\n"
           "with one basic station each plus contiguous, extraordinary and special ones (about\n"
           "4,000 rows in casillas.dbf), and " +
           std::to_string(kColonias) +
           " colonies in colonias.dbf. About 1.5% of the rows\n"
           "of every table are marked deleted. The same seed and size give byte-identical files\n"
           "(the header date is the fixed cut-off day), and a smaller padron with the same seed\n"
           "is the start of a larger one.\n";
}

}  // namespace datos
