#pragma once

#include <QtGlobal>

// A built-in function of the .xls formula tokens: its number, the count of arguments when the
// token does not carry it (-1 when it always does), its name.
struct XlsFunction {
    quint16 id;
    qint8 args;
    const char *name;
};

// The function with that number among the common ones; nullptr for any other.
const XlsFunction *xlsFunction(quint16 id);
