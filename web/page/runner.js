// Runs scripts in Web Workers, one worker (so one fresh interpreter instance) per run, and
// keeps the next one loading while the page waits, so Run starts at once. Stop ends a run by
// terminating its worker; a script that never ends cannot freeze the page. A run may also be
// recorded step by step (Step); its record arrives before the run's end.

export class Runner {
  // handlers: output(fd, bytes), record(record), exit(status), failed(message).
  constructor(workerUrl, handlers) {
    this.workerUrl = workerUrl;
    this.handlers = handlers;
    this.current = null;
    this.spare = this.spawn();
  }

  spawn() {
    const worker = new Worker(this.workerUrl);
    worker.onerror = (event) => {
      event.preventDefault();
      if (worker === this.current) this.finish('failed', `The interpreter could not be loaded: ${event.message || 'worker error'}`);
      else if (worker === this.spare) this.spare = null;
    };
    return worker;
  }

  get running() {
    return this.current !== null;
  }

  // record: whether the run is recorded for Step mode.
  run(script, record = false) {
    this.stop();
    const worker = this.spare ?? this.spawn();
    this.spare = null;
    this.current = worker;
    worker.onmessage = ({ data }) => {
      // Messages still queued from a stopped run are dropped.
      if (worker !== this.current) return;
      if (data.type === 'output') this.handlers.output(data.fd, data.bytes);
      else if (data.type === 'record') this.handlers.record(data.record);
      else if (data.type === 'exit') this.finish('exit', data.status);
      else this.finish('failed', data.message);
    };
    worker.postMessage({ script, record });
  }

  // Ends the run in progress, if any; returns whether there was one.
  stop() {
    if (!this.current) return false;
    this.current.onmessage = null;
    this.current.terminate();
    this.current = null;
    this.spare ??= this.spawn();
    return true;
  }

  finish(kind, value) {
    this.current.terminate();
    this.current = null;
    this.spare ??= this.spawn();
    this.handlers[kind](value);
  }
}
