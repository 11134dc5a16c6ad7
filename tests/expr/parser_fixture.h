#pragma once

#include <gtest/gtest.h>

#include <string>

#include "expr/expression_parser.h"

namespace kestra::expr::testing {

struct Outcome {
    int ok;
    int code;
    unsigned column;
};

inline bool operator==(const Outcome& a, const Outcome& b) {
    return a.ok == b.ok && a.code == b.code && a.column == b.column;
}

inline std::ostream& operator<<(std::ostream& os, const Outcome& o) {
    return os << "{ok=" << o.ok << " code=" << o.code << " col=" << o.column << "}";
}

constexpr Outcome kValid{1, 0, 0};
inline Outcome Err(int code, unsigned column) { return Outcome{0, code, column}; }

// A parser with the fields the tests talk about: numeric A, string B and S, date D, time T, timestamp TS, numeric
// MONTH (shadowed by the function), numeric A.B and a quoted-name field MY FIELD.
class ParserTest : public ::testing::Test {
protected:
    CExpressionParser MakeParser(const std::string& text, int type) {
        CExpressionParser p(text, type);
        p.AddField("A", kTypeNumeric);
        p.AddField("B", kTypeString);
        p.AddField("S", kTypeString);
        p.AddField("D", kTypeDate);
        p.AddField("T", kTypeTime);
        p.AddField("TS", kTypeTimestamp);
        p.AddField("MONTH", kTypeNumeric);
        p.AddField("A.B", kTypeNumeric);
        p.AddField("MY FIELD", kTypeString);
        p.AddField("ID", kTypeNumeric);
        return p;
    }

    Outcome Check(const std::string& text, int type) {
        last_ = MakeParser(text, type);
        const int ok = last_.Parse();
        return Outcome{ok, last_.GetErrorCode(), last_.GetErrorColumn()};
    }
    Outcome Cond(const std::string& text) { return Check(text, kTypeBoolean); }
    Outcome Num(const std::string& text) { return Check(text, kTypeNumeric); }
    Outcome Str(const std::string& text) { return Check(text, kTypeString); }

    CExpressionParser last_;
};

}  // namespace kestra::expr::testing
