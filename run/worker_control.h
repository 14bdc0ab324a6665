// The running worker thread as the window sees it: closing the window stops it, and the Esc
// question holds it at its next safe point.
#ifndef LORVEX_RUN_WORKER_CONTROL_H_
#define LORVEX_RUN_WORKER_CONTROL_H_

/// Whether a worker thread is running.
bool WorkerExists();
/// Sets the cancel flag and waits up to steps times step_ms milliseconds for the worker to end.
void StopWorker(int steps, unsigned step_ms);
/// A point where the worker holds no lock and has no line half written: while the main thread
/// asks the user whether to stop, the worker waits here. Does nothing on other threads.
void WorkerSafePoint();

#endif  // LORVEX_RUN_WORKER_CONTROL_H_
