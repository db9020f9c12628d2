// corvane-xls-reader: reads one .xls workbook for the main program (see fXlsReaderMain).

#include "sheet/WorkbookReaders.h"

int main(int argc, char **argv) {
    return fXlsReaderMain(argc, argv);
}
