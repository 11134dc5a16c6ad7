#pragma once

// Raised at the point of a syntax or type error and caught only by CExpressionParser::Parse; never crosses the
// checker's public interface.

namespace kestra::expr {

class CParseException {
public:
    CParseException(int code, unsigned column) : code_(code), column_(column) {}

    static constexpr const char* runtime_class_name() { return "CParseException"; }
    int code() const { return code_; }
    unsigned column() const { return column_; }

private:
    int code_;
    unsigned column_;
};

}  // namespace kestra::expr
