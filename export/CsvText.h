#pragma once
// Small text helpers shared by the CSV layouts.
#include <QChar>
#include <QMetaType>
#include <QVariant>

namespace csvtext {

// The cell holds a floating-point number (not a text or an integer).
inline bool isNumber(const QVariant &v)
{
    const int type = v.userType();
    return type == QMetaType::Double || type == QMetaType::Float;
}

// The value of n decimal digits at p; -1 when one of them is not a digit.
inline int digits(const QChar *p, int n)
{
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const ushort c = p[i].unicode();
        if (c < '0' || c > '9')
            return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

} // namespace csvtext
