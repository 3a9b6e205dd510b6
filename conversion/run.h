// The whole run, from the argument vector to the exit status.
#ifndef RX50ORDER_CONVERSION_RUN_H
#define RX50ORDER_CONVERSION_RUN_H

// Converts the image the command line names and returns 0; every failure
// ends the process from inside, with its diagnostic and status.
int run_conversion(int argc, char *argv[]);

#endif
