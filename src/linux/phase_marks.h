#pragma once

// The start-up's phases, marked for the benchmark, which times the program
// from outside: with VORPANE_PHASE_FD naming an open descriptor, each mark
// writes "<name> <steady clock in ns>" on a line of its own there; without
// it, a mark does nothing.
class PhaseMarks {
  public:
    PhaseMarks();
    void operator()(const char* name) const;

  private:
    int fd_ = -1;
};
