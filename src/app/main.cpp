#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    std::fputs("usage: corvane LEFT RIGHT /o OUTPUT\n", stderr);
    return 2;
}
