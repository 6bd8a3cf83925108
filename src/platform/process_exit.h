#pragma once

// Ends the process through the normal runtime exit (exit handlers run,
// open streams are flushed); the caller's stack is not unwound.
class ProcessExit {
  public:
    virtual ~ProcessExit() = default;
    [[noreturn]] virtual void Exit(int code) = 0;
};

class RuntimeProcessExit final : public ProcessExit {
  public:
    [[noreturn]] void Exit(int code) override;
};
