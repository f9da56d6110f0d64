// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::puts("usage: kavimo-set make|check ...");
    return 2;
}
