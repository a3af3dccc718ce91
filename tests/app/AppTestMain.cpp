// Entry of the trainer's tests: the program's own application object, so that the error box can
// be watched.
#include "app/TApplication.h"
#include "support/QtTestRun.h"

int main(int argc, char** argv)
{
    return RunQtTests<TApplication>(argc, argv);
}
