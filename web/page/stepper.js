// Step mode's view of a recorded run: what a step runs, the variables as they stand after it
// and the output written by its end. A step is a statement started or a loop condition read
// again; the record says for each what it changed, and a variable's value at any step is
// found by a search through its own changes, so moving anywhere in the run costs the same.

export class Recording {
  // record: the worker's record; stdout: every byte of standard output kept while recording;
  // end: { status, stderr } of the run, or null when it was stopped.
  constructor(record, stdout, end) {
    this.record = record;
    this.stdout = stdout;
    this.end = end;
    this.length = record.steps;
    // Per variable, in declaration order: its name, and the steps that changed it with the
    // values they left.
    this.variables = record.names.map((name, index) => ({
      name,
      // Only the first entry of a name is ever read or assigned.
      shadowed: record.names.indexOf(name) < index,
      steps: [],
      values: [],
      strings: [],
    }));
    for (let step = 0; step < record.steps; step++) {
      for (let change = record.changes[step]; change < record.changes[step + 1]; change++) {
        const variable = this.variables[record.variable[change]];
        variable.steps.push(step);
        variable.values.push(record.values[change]);
        variable.strings.push(record.string[change] !== 0);
      }
    }
  }

  // The tokens [first, last] and the line of what step runs.
  at(step) {
    return { first: this.record.first[step], last: this.record.last[step], line: this.record.line[step] };
  }

  // The variables declared by the end of step, each with { name, value, string, changed,
  // shadowed }.
  variablesAt(step) {
    const shown = [];
    for (const variable of this.variables) {
      const index = lastAtOrBefore(variable.steps, step);
      if (index < 0) continue;
      shown.push({
        name: variable.name,
        value: variable.values[index],
        string: variable.strings[index],
        changed: variable.steps[index] === step,
        shadowed: variable.shadowed,
      });
    }
    return shown;
  }

  // The bytes of standard output written by the end of step.
  outputAt(step) {
    return this.stdout.subarray(0, Math.min(this.stdout.length, this.record.output[step]));
  }

  // The error text shown at step: only the last step of a run that ended in an error, and
  // only when every step was recorded, raised it.
  errorAt(step) {
    const last = step === this.length - 1 && !this.record.capped && this.end;
    return last && this.end.status !== 0 ? this.end.stderr : '';
  }
}

// The index of the last number in the ascending `numbers` that is at most `value`, or -1.
function lastAtOrBefore(numbers, value) {
  let low = 0;
  let high = numbers.length;
  while (low < high) {
    const middle = (low + high) >> 1;
    if (numbers[middle] <= value) low = middle + 1;
    else high = middle;
  }
  return low - 1;
}

// Collects standard output's bytes while a run is recorded, up to `limit` bytes.
export class ByteStore {
  constructor(limit) {
    this.limit = limit;
    this.chunks = [];
    this.length = 0;
  }

  add(bytes) {
    const room = this.limit - this.length;
    if (room <= 0) return;
    const kept = bytes.length > room ? bytes.slice(0, room) : bytes;
    this.chunks.push(kept);
    this.length += kept.length;
  }

  // All the bytes kept, in one array.
  join() {
    const all = new Uint8Array(this.length);
    let at = 0;
    for (const chunk of this.chunks) {
      all.set(chunk, at);
      at += chunk.length;
    }
    return all;
  }
}
