// Expressions are typed by the user: any text must check to valid or to an error inside the text, however deep
// its nesting, and checking the same text twice gives the same answer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "expr/expr_types.h"
#include "expr/expression_parser.h"

using kestra::expr::CExpressionParser;
namespace ex = kestra::expr;

namespace {

void add_fields(CExpressionParser& parser) {
    parser.AddField("NAME", ex::kTypeString);
    parser.AddField("AMOUNT", ex::kTypeNumeric);
    parser.AddField("BORN", ex::kTypeDate);
    parser.AddField("AT", ex::kTypeTime);
    parser.AddField("STAMP", ex::kTypeTimestamp);
    parser.AddField("ACTIVE", ex::kTypeBoolean);
    parser.AddField("CUST-ID", ex::kTypeNumeric);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int required = data[0] % 10;
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    CExpressionParser parser(text, required);
    add_fields(parser);

    const int ok = parser.Parse();
    if (parser.GetText().size() != text.size()) std::abort();
    if (ok != 0 && ok != 1) std::abort();
    if (ok == 1) {
        if (parser.GetErrorCode() != ex::kErrNone) std::abort();
        if (parser.IsField()) {
            const int index = parser.GetFieldIndex();
            if (index < 0 || index >= parser.GetFieldCount()) std::abort();
        }
        (void)parser.GetLiteralText();
        (void)parser.GetFieldText();
    } else {
        if (parser.GetErrorCode() == ex::kErrNone) std::abort();
        if (parser.GetErrorColumn() > text.size()) std::abort();
        if (parser.GetErrorMessage().empty()) std::abort();
    }
    // The same text checks the same way every time. (A check upper-cases names in the parser's own copy, so a
    // failed text may check differently afterwards - "1e5" turns into the number "1E5" - but a valid one stays
    // valid.)
    CExpressionParser twin(text, required);
    add_fields(twin);
    if (twin.Parse() != ok || twin.GetErrorCode() != parser.GetErrorCode() ||
        twin.GetErrorColumn() != parser.GetErrorColumn())
        std::abort();
    if (ok == 1 && (parser.Parse() != 1 || parser.GetCurrentType() != twin.GetCurrentType())) std::abort();

    // The same checker over the text as a plain search condition with no fields.
    CExpressionParser bare(text, ex::kTypeBoolean);
    (void)bare.Parse();
    parser.RemoveFields(static_cast<int>(data[0]) - 128, static_cast<int>(size) - 64);
    (void)parser.GetFieldName(-1);
    (void)parser.GetFieldType(1 << 20);
    return 0;
}
