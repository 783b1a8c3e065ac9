#include "callhistorystartup.h"

int main(int argc, char **argv)
{
    CallHistoryStartup startup(argc, argv);
    return startup.exec();
}
