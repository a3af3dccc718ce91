// Entry of the test programs that need a QApplication.
#include "support/QtTestRun.h"

#include <QApplication>

int main(int argc, char** argv)
{
    return RunQtTests<QApplication>(argc, argv);
}
