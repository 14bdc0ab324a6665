// The main driver: one run from the command line to the exit value.
#ifndef LORVEX_QUERY_DRIVER_H_
#define LORVEX_QUERY_DRIVER_H_

/// Runs the program as the process command line asks; returns the exit value 0 to 255.
int MainRun();

#endif  // LORVEX_QUERY_DRIVER_H_
