// corvane-xls-reader: reads one .xls workbook for the main program (see xlsReaderMain).

#include "sheet/WorkbookReaders.h"

int main(int argc, char **argv) {
    return xlsReaderMain(argc, argv);
}
