// SlotPlan: when a transmitter that hands on one cell per slot (slots at
// multiples of the slot time) serves its queue - the physical layer's cell
// slots and each switch output port's fabric slots.
#pragma once
#include <cmath>

struct SlotPlan {
  double nextSendTime = 0;  // the last serve planned; kept across runs

  // Plans the serves for a cell just queued at t, calling serve(time) for
  // each in order. A cell that found the transmitter idle starts in the next
  // slot and is handed on one slot later; any other is handed on one slot
  // after the cell planned before it.
  template <class Serve>
  void CellQueued(bool wasIdle, double t, double slotTime, Serve&& serve) {
    if (wasIdle) {
      // Where t counts more slots than a double holds, the slot is t itself
      // (the slot grid is finer than the clock there).
      const double slots = std::ceil(t / slotTime);
      const double slot = std::isfinite(slots) ? slots * slotTime : t;
      nextSendTime = slot + slotTime;
      serve(slot);
    } else {
      nextSendTime = nextSendTime + slotTime;
    }
    serve(nextSendTime);
  }
};
