#include "conversion/run.h"

int main(int argc, char *argv[])
{
    return run_conversion(argc, argv);
}
