#pragma once
// A value of one of a few simple types, for variant-typed published properties.

#include <cstdint>
#include <string>
#include <variant>

enum TVarType {
    varEmpty,
    varNull,
    varBoolean,
    varInteger,
    varInt64,
    varDouble,
    varDate,
    varString
};

class TVariant {
public:
    TVariant() = default;
    TVariant(bool value) : FType(varBoolean), FValue(value) {}
    TVariant(int value) : FType(varInteger), FValue(int64_t(value)) {}
    TVariant(int64_t value) : FType(varInt64), FValue(value) {}
    TVariant(double value) : FType(varDouble), FValue(value) {}
    TVariant(std::string value) : FType(varString), FValue(std::move(value)) {}
    TVariant(const char* value) : FType(varString), FValue(std::string(value)) {}
    static TVariant Null();
    static TVariant FromDate(double value);

    TVarType VarType() const { return FType; }
    bool IsEmpty() const { return FType == varEmpty; }
    bool IsNull() const { return FType == varNull; }

    // Conversions; Empty and Null read as false, 0 and empty text. A string that is not
    // a number raises EConvertError from AsInt64 and AsDouble.
    bool AsBoolean() const;
    int64_t AsInt64() const;
    double AsDouble() const;
    // Booleans as "True" / "False", numbers with the current DecimalSeparator, dates in
    // the short date and long time format.
    std::string AsString() const;

    bool operator==(const TVariant& other) const {
        return FType == other.FType && FValue == other.FValue;
    }

private:
    TVarType FType = varEmpty;
    std::variant<std::monostate, bool, int64_t, double, std::string> FValue;
};
