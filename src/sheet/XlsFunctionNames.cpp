#include "sheet/XlsFunctionNames.h"

#include <algorithm>
#include <iterator>

namespace {

// Sorted by number.
constexpr XlsFunction Functions[] = {
    {0, -1, "COUNT"},        {1, -1, "IF"},
    {2, 1, "ISNA"},          {3, 1, "ISERROR"},
    {4, -1, "SUM"},          {5, -1, "AVERAGE"},
    {6, -1, "MIN"},          {7, -1, "MAX"},
    {8, -1, "ROW"},          {9, -1, "COLUMN"},
    {10, 0, "NA"},           {11, -1, "NPV"},
    {12, -1, "STDEV"},       {13, -1, "DOLLAR"},
    {14, -1, "FIXED"},       {15, 1, "SIN"},
    {16, 1, "COS"},          {17, 1, "TAN"},
    {18, 1, "ATAN"},         {19, 0, "PI"},
    {20, 1, "SQRT"},         {21, 1, "EXP"},
    {22, 1, "LN"},           {23, 1, "LOG10"},
    {24, 1, "ABS"},          {25, 1, "INT"},
    {26, 1, "SIGN"},         {27, 2, "ROUND"},
    {28, -1, "LOOKUP"},      {29, -1, "INDEX"},
    {30, 2, "REPT"},         {31, 3, "MID"},
    {32, 1, "LEN"},          {33, 1, "VALUE"},
    {34, 0, "TRUE"},         {35, 0, "FALSE"},
    {36, -1, "AND"},         {37, -1, "OR"},
    {38, 1, "NOT"},          {39, 2, "MOD"},
    {46, -1, "VAR"},         {48, 2, "TEXT"},
    {56, -1, "PV"},          {57, -1, "FV"},
    {58, -1, "NPER"},        {59, -1, "PMT"},
    {60, -1, "RATE"},        {63, 0, "RAND"},
    {64, -1, "MATCH"},       {65, 3, "DATE"},
    {66, 3, "TIME"},         {67, 1, "DAY"},
    {68, 1, "MONTH"},        {69, 1, "YEAR"},
    {70, -1, "WEEKDAY"},     {71, 1, "HOUR"},
    {72, 1, "MINUTE"},       {73, 1, "SECOND"},
    {74, 0, "NOW"},          {76, 1, "ROWS"},
    {77, 1, "COLUMNS"},      {78, -1, "OFFSET"},
    {82, -1, "SEARCH"},      {97, 2, "ATAN2"},
    {98, 1, "ASIN"},         {99, 1, "ACOS"},
    {100, -1, "CHOOSE"},     {101, -1, "HLOOKUP"},
    {102, -1, "VLOOKUP"},    {109, -1, "LOG"},
    {111, 1, "CHAR"},        {112, 1, "LOWER"},
    {113, 1, "UPPER"},       {114, 1, "PROPER"},
    {115, -1, "LEFT"},       {116, -1, "RIGHT"},
    {117, 2, "EXACT"},       {118, 1, "TRIM"},
    {119, 4, "REPLACE"},     {120, -1, "SUBSTITUTE"},
    {121, 1, "CODE"},        {124, -1, "FIND"},
    {126, 1, "ISERR"},       {127, 1, "ISTEXT"},
    {128, 1, "ISNUMBER"},    {129, 1, "ISBLANK"},
    {130, 1, "T"},           {131, 1, "N"},
    {140, 1, "DATEVALUE"},   {141, 1, "TIMEVALUE"},
    {148, -1, "INDIRECT"},   {162, 1, "CLEAN"},
    {169, -1, "COUNTA"},     {183, -1, "PRODUCT"},
    {184, 1, "FACT"},        {190, 1, "ISNONTEXT"},
    {197, -1, "TRUNC"},      {198, 1, "ISLOGICAL"},
    {212, 2, "ROUNDUP"},     {213, 2, "ROUNDDOWN"},
    {216, -1, "RANK"},       {219, -1, "ADDRESS"},
    {221, 0, "TODAY"},       {227, -1, "MEDIAN"},
    {228, -1, "SUMPRODUCT"}, {336, -1, "CONCATENATE"},
    {337, 2, "POWER"},       {342, 1, "RADIANS"},
    {343, 1, "DEGREES"},     {344, -1, "SUBTOTAL"},
    {345, -1, "SUMIF"},      {346, 2, "COUNTIF"},
    {347, 1, "COUNTBLANK"},
};

} // namespace

const XlsFunction *xlsFunction(quint16 id) {
    const auto found = std::lower_bound(std::begin(Functions), std::end(Functions), id,
                                        [](const XlsFunction &f, quint16 v) { return f.id < v; });
    return found != std::end(Functions) && found->id == id ? found : nullptr;
}
