#pragma once

namespace cadro {

/// Turns SIGTERM, SIGINT and SIGHUP into a readable file descriptor, so the
/// event loop can run the same orderly quit as the Quit menu item instead of
/// the process dying on the spot.
class TerminationSignals {
  public:
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    /// Readable once a signal arrived; -1 when it could not be set up.
    int fd() const;
    /// Empties the descriptor after it became readable.
    void acknowledge();
};

}  // namespace cadro
