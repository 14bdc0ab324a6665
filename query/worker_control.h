// The running worker thread as the output window sees it: closing the window stops it.
#ifndef LORVEX_QUERY_WORKER_CONTROL_H_
#define LORVEX_QUERY_WORKER_CONTROL_H_

/// Whether a worker thread is running.
bool WorkerExists();
/// Sets the cancel flag and waits up to steps times step_ms milliseconds for the worker to end.
void StopWorker(int steps, unsigned step_ms);

#endif  // LORVEX_QUERY_WORKER_CONTROL_H_
