// The whole probe, from the argument vector to the exit status.
#ifndef RX50ORDER_PROBE_PROBE_H
#define RX50ORDER_PROBE_PROBE_H

// Probes every image the command line names, printing one line for each,
// and returns the largest of their statuses. A command-line error ends the
// process from inside, with the usage text and status 64.
int run_probe(int argc, char *argv[]);

#endif
