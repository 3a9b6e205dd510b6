// Standard input, output and error, kept open for the whole run.
#ifndef RX50ORDER_DIAGNOSTICS_STANDARD_DESCRIPTORS_H
#define RX50ORDER_DIAGNOSTICS_STANDARD_DESCRIPTORS_H

// Opens the null device on any of descriptors 0, 1 and 2 that is closed, as
// when a program is started with >&- or 2>&-. Otherwise the first image the
// program opens would take that descriptor, and a diagnostic meant for
// standard error would be written into it. To be called first thing, after
// the program's name is set; when it cannot make them safe it reports that
// and ends the process with status 69.
void open_missing_standard_descriptors();

#endif
