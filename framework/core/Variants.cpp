#include "framework/core/Variants.h"

#include "framework/core/SystemUtils.h"

TVariant TVariant::Null() {
    TVariant v;
    v.FType = varNull;
    return v;
}

TVariant TVariant::FromDate(double value) {
    TVariant v(value);
    v.FType = varDate;
    return v;
}

bool TVariant::AsBoolean() const {
    switch (FType) {
    case varBoolean:
        return std::get<bool>(FValue);
    case varInteger:
    case varInt64:
        return std::get<int64_t>(FValue) != 0;
    case varDouble:
    case varDate:
        return std::get<double>(FValue) != 0;
    case varString: {
        const auto& s = std::get<std::string>(FValue);
        if (SameText(s, "True"))
            return true;
        if (SameText(s, "False"))
            return false;
        return StrToFloat(s) != 0;
    }
    default:
        return false;
    }
}

int64_t TVariant::AsInt64() const {
    switch (FType) {
    case varBoolean:
        return std::get<bool>(FValue) ? -1 : 0;
    case varInteger:
    case varInt64:
        return std::get<int64_t>(FValue);
    case varDouble:
    case varDate:
        return Round(std::get<double>(FValue));
    case varString:
        return StrToInt64(std::get<std::string>(FValue));
    default:
        return 0;
    }
}

double TVariant::AsDouble() const {
    switch (FType) {
    case varBoolean:
        return std::get<bool>(FValue) ? -1 : 0;
    case varInteger:
    case varInt64:
        return double(std::get<int64_t>(FValue));
    case varDouble:
    case varDate:
        return std::get<double>(FValue);
    case varString:
        return StrToFloat(std::get<std::string>(FValue));
    default:
        return 0;
    }
}

std::string TVariant::AsString() const {
    switch (FType) {
    case varBoolean:
        return std::get<bool>(FValue) ? "True" : "False";
    case varInteger:
    case varInt64:
        return IntToStr(std::get<int64_t>(FValue));
    case varDouble:
        return FloatToStr(std::get<double>(FValue));
    case varDate:
        return DateTimeToStr(std::get<double>(FValue));
    case varString:
        return std::get<std::string>(FValue);
    default:
        return "";
    }
}
