#include "sim/mapi/restriction.h"

#include <mapicode.h>

namespace sw::simmapi {
namespace {

constexpr int kMaxDepth = 64;

template <class Compound> HRESULT CheckCompound(const Compound& compound, int depth);

HRESULT Check(const SRestriction* restriction, int depth) {
    if (!restriction)
        return MAPI_E_INVALID_PARAMETER;
    if (depth > kMaxDepth)
        return MAPI_E_TOO_COMPLEX;
    switch (restriction->rt) {
    case RES_AND:
        return CheckCompound(restriction->res.resAnd, depth);
    case RES_OR:
        return CheckCompound(restriction->res.resOr, depth);
    case RES_NOT:
        return Check(restriction->res.resNot.lpRes, depth + 1);
    case RES_EXIST:
        return S_OK;
    case RES_PROPERTY: {
        const SPropertyRestriction& property = restriction->res.resProperty;
        if (property.relop == RELOP_RE)
            return MAPI_E_TOO_COMPLEX;
        if (property.relop > RELOP_NE || !property.lpProp ||
            PROP_TYPE(property.lpProp->ulPropTag) != PROP_TYPE(property.ulPropTag))
            return MAPI_E_INVALID_PARAMETER;
        switch (PROP_TYPE(property.ulPropTag)) {
        case PT_BOOLEAN:
            return S_OK;
        case PT_STRING8:
            return property.lpProp->Value.lpszA ? S_OK : MAPI_E_INVALID_PARAMETER;
        case PT_UNICODE:
            return property.lpProp->Value.lpszW ? S_OK : MAPI_E_INVALID_PARAMETER;
        default:
            return MAPI_E_TOO_COMPLEX;
        }
    }
    default:
        return MAPI_E_TOO_COMPLEX;
    }
}

template <class Compound> HRESULT CheckCompound(const Compound& compound, int depth) {
    if (compound.cRes && !compound.lpRes)
        return MAPI_E_INVALID_PARAMETER;
    for (ULONG i = 0; i < compound.cRes; ++i) {
        HRESULT hr = Check(&compound.lpRes[i], depth + 1);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

int CompareText(const std::wstring& a, const std::wstring& b) {
    int result = CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                      static_cast<int>(b.size()), TRUE);
    return result - CSTR_EQUAL;
}

// <0, 0 or >0 as the row's value is below, equal to or above the restriction's.
int Compare(const RowValue& value, const SPropValue& wanted) {
    switch (PROP_TYPE(value.tag)) {
    case PT_BOOLEAN:
        return static_cast<int>(value.boolean) - static_cast<int>(wanted.Value.b != 0);
    case PT_STRING8:
        return CompareText(WidenAnsi(value.ansi), WidenAnsi(wanted.Value.lpszA));
    default: // PT_UNICODE
        return CompareText(value.wide, wanted.Value.lpszW);
    }
}

bool Relate(int comparison, ULONG relop) {
    switch (relop) {
    case RELOP_LT:
        return comparison < 0;
    case RELOP_LE:
        return comparison <= 0;
    case RELOP_GT:
        return comparison > 0;
    case RELOP_GE:
        return comparison >= 0;
    case RELOP_EQ:
        return comparison == 0;
    default: // RELOP_NE
        return comparison != 0;
    }
}

} // namespace

HRESULT CheckRestriction(const SRestriction* restriction) {
    return Check(restriction, 0);
}

bool Matches(const SRestriction& restriction, const ProfileRow& row) {
    RowValue value;
    switch (restriction.rt) {
    case RES_AND:
        for (ULONG i = 0; i < restriction.res.resAnd.cRes; ++i)
            if (!Matches(restriction.res.resAnd.lpRes[i], row))
                return false;
        return true;
    case RES_OR:
        for (ULONG i = 0; i < restriction.res.resOr.cRes; ++i)
            if (Matches(restriction.res.resOr.lpRes[i], row))
                return true;
        return false;
    case RES_NOT:
        return !Matches(*restriction.res.resNot.lpRes, row);
    case RES_EXIST:
        return GetRowValue(row, restriction.res.resExist.ulPropTag, value);
    case RES_PROPERTY: {
        const SPropertyRestriction& property = restriction.res.resProperty;
        if (!GetRowValue(row, property.ulPropTag, value))
            return false;
        return Relate(Compare(value, *property.lpProp), property.relop);
    }
    default:
        return false;
    }
}

} // namespace sw::simmapi
