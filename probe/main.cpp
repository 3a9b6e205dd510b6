#include "probe/probe.h"

int main(int argc, char *argv[])
{
    return run_probe(argc, argv);
}
