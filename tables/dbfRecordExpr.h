#pragma once
// Key and FOR expressions evaluated straight from the raw bytes of a DBF record, for the
// scans that build index tags. Character fields stay in the table's code page (where a
// character is a byte), so keys such as strZero(n,3)+left(tipo,1)+nombre or
// paterno-(" "+materno) are made without turning the fields into UTF-8 and back. Only
// the parts of an expression whose byte form is known are compiled: fields of the table,
// literals, + and - between texts, left(), right(), subStr(), upper(), deleted(), .NOT.,
// and calls of functions that read nothing but numeric or literal arguments (str(),
// strZero() ...). Anything else leaves the expression to the general evaluation, and so
// does a record on which the byte form cannot be sure to agree with it (the caller then
// evaluates that record the general way): the results are the same bytes either way.
#include <memory>
#include <string>
#include <string_view>

#include "Expr.h"
#include "Value.h"

namespace dbf {

class DbfTable;

class RecordExpr {
  public:
    struct Node;
    // Null when the expression has a part this form does not cover. The table must
    // outlive the result.
    static std::unique_ptr<RecordExpr> compile(const CompiledExpr& expr, DbfTable& table);
    ~RecordExpr();

    // True when the result is text, which text() makes in the code page's bytes.
    bool isText() const;
    // Appends the text result to `out`; false (`out` as it was) when this record needs the
    // general evaluation.
    bool text(uint32_t recno, std::string_view raw, std::string* out) const;
    // The result as a value (texts as UTF-8); false when the record needs the general
    // evaluation.
    bool value(uint32_t recno, std::string_view raw, Value* out) const;

  private:
    RecordExpr(std::unique_ptr<Node> root, DbfTable& table);
    std::unique_ptr<Node> root_;
    DbfTable& table_;
};

}  // namespace dbf
