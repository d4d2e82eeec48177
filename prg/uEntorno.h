#pragma once
// uEntorno: the set of tables one piece of work needs open together (the tables behind a
// maintenance window, or the tables the index generator rebuilds). Tables and their index
// definitions are registered first and opened and closed in one call; the environment
// then knows each table's alias and record buffer. It also owns the index generation
// dialog (reindex), which rebuilds the index files of its tables and can compact them.
//
// Lifetime: held by whoever runs the work (a maintenance controller, REINDEXAR), usually
// through a shared_ptr so that O_UR_ENTORNO can publish it. Destroying an open environment
// closes it. Work areas taken from the class-wide shared list stay open while any
// environment still counts them.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Value.h"

class uDBF;

// Anything that answers whether a user may use `option` at `level` (1 look, 2 add and
// edit, 3 delete and more; the meaning beyond that is the application's).
class uUsuario {
  public:
    virtual ~uUsuario() = default;
    virtual bool permiso(const std::string& option, int level) const = 0;
};

// The open hook: (file name, acquire) → whether the table may be opened. Called with
// acquire false to give the table back.
using EntornoHook = std::function<bool(const std::string& file, bool acquire)>;

// A table registration: positions 1 to 8.
struct EntornoFile {
    std::string file;                          // 1 file name (normalised when registered)
    Value privateArea;                         // 2 NIL or true: own area; false: shared area
    std::string* aliasOut = nullptr;           // 3 receives the alias at open
    std::shared_ptr<uDBF>* bufferOut = nullptr;  // 4 receives the record buffer at open
    Value shared;                              // 5 NIL: the table layer's setting
    Value readOnly;                            // 6
    std::string driver;                        // 7 empty: the default driver
    EntornoHook hook;                          // 8 empty, or cleared once released

    // Filled by open: the alias and buffer of positions 3 and 4.
    std::string cAlias;
    std::shared_ptr<uDBF> oDbf;
    bool ownArea() const { return privateArea.isNil() || (privateArea.isLogical() && privateArea.logical()); }
};

// An index definition: positions 1 to 18 (addIndex's 9 to 26).
struct EntornoIndex {
    std::string key;        // 1 key expression
    std::string tag;        // 2
    std::string bag;        // 3 empty: the table's production index
    std::string forText;    // 4
    std::string whileText;  // 5
    long next = 0;          // 6
    long record = 0;        // 7
    bool rest = false;      // 8
    bool all = false;       // 9
    bool unique = false;    // 10
    bool descend = false;   // 11
    bool additive = false;  // 12
    bool useCurrent = false;  // 13
    bool custom = false;      // 14
    bool noOptimize = false;  // 15
    bool temporary = false;   // 16
    bool useFilter = false;   // 17
    bool exclusive = false;   // 18
};

// The arguments of reindex, in position order.
struct ReindexArgs {
    // Automatic mode when given: (meter, file name) → whether to treat the table.
    std::function<bool(class TMeter& meter, const std::string& file)> confirm;
    std::string title;
    std::string tickedImage;  // empty: marked cells read "Si"
    std::string blankImage;
    // The access level (empty: 3); with a user object, the option whose level the user's
    // permissions decide.
    Value level;
    const uUsuario* user = nullptr;
};

class uEntorno {
  public:
    // An open table: its record buffer, whether its area is shared, and its registration.
    struct Abierto {
        std::shared_ptr<uDBF> oDbf;
        bool lCompartido = false;
        size_t archivo = 0;  // position in aArchivos
    };
    // A shared area: its alias and how many environments use it.
    struct Compartido {
        std::string cAlias;
        int nContador = 0;
    };

    uEntorno();  // new
    ~uEntorno();
    uEntorno(const uEntorno&) = delete;
    uEntorno& operator=(const uEntorno&) = delete;

    // Registers a table; the file name is normalised (trimmed, the driver's table extension
    // added when it has none, upper-cased).
    void add(EntornoFile file);
    // Declares an index of `file`'s table (registered first, with positions 1-8 of this
    // call, when it is not yet).
    void addIndex(EntornoFile file, EntornoIndex index);

    // Opens every registered table; true when all are open. On failure nothing this call
    // opened stays open and the environment stays closed.
    bool open();
    // Closes every table (no argument), or the table of one alias, or of a buffer's alias.
    // Does nothing when not open.
    bool close();
    bool close(const std::string& alias);
    bool close(const uDBF& buffer);
    void closeFile(const std::string& alias, const Abierto& table);

    // The alias of the n-th registered table (1-based), or of the table registered under
    // `name` (with or without its extension, any case); "" when none.
    std::string alias(int n) const;
    std::string alias(const std::string& name) const;
    // The record buffer of the n-th registered table, or of an open alias.
    std::shared_ptr<uDBF> object(int n) const;
    std::shared_ptr<uDBF> object(const std::string& alias) const;

    // The index generation dialog.
    void reindex(const ReindexArgs& args = {});

    // The rebuild of the current area's table: its index list is cleared, the table is
    // compacted when asked, and every definition is built in order, each through
    // `through(i, build)`, which must call build with the meter that shows its progress (or
    // nullptr). The tags of the table's own index file are built beside it and put in its
    // place in one step once all are built, so that a stop at any point leaves the old file
    // or the new one (a compacted table loses the old one first: it no longer fits the
    // records). False when a definition could not be built; the old index file then stays.
    using BuildStep = std::function<void(class TMeter* meter)>;
    static bool rebuildIndexes(const std::vector<EntornoIndex>& defs, bool compact,
                               const std::function<void(size_t i, const BuildStep& build)>& through);

    bool lAbierto() const { return lAbierto_; }
    const std::vector<EntornoFile>& aArchivos() const { return aArchivos_; }
    const std::vector<std::vector<EntornoIndex>>& aIndices() const { return aIndices_; }
    const std::vector<std::pair<std::string, Abierto>>& hEntorno() const { return hEntorno_; }
    static const std::map<std::string, Compartido>& hCompartidos() { return compartidos(); }

    // The alias a table would get now: its base name, upper case, with the first suffix
    // "01", "02", ... not in use by any open area.
    static std::string nextAlias(const std::string& file);
    // The name as registered: trimmed, with the driver's table extension when it has none,
    // upper case.
    static std::string normalise(const std::string& file, const std::string& driver);

  private:
    friend class ReindexDialog;
    std::optional<std::string> openTable(EntornoFile& reg);
    size_t registration(const EntornoFile& file);
    static std::map<std::string, Compartido>& compartidos();

    std::vector<std::pair<std::string, Abierto>> hEntorno_;
    bool lAbierto_ = false;
    std::vector<EntornoFile> aArchivos_;
    std::vector<std::vector<EntornoIndex>> aIndices_;
};

// Publishes an environment as the current one for the lifetime of the guard (the dynamically
// scoped environment of the action being run); the previous one comes back afterwards.
class O_UR_ENTORNO {
  public:
    explicit O_UR_ENTORNO(std::shared_ptr<uEntorno> entorno);
    ~O_UR_ENTORNO();
    O_UR_ENTORNO(const O_UR_ENTORNO&) = delete;
    O_UR_ENTORNO& operator=(const O_UR_ENTORNO&) = delete;
    // The environment of the innermost live guard; nullptr when none.
    static std::shared_ptr<uEntorno> current();

  private:
    std::shared_ptr<uEntorno> previous_;
};
