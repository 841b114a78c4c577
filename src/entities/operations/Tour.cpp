#include "entities/operations/Tour.h"

int CTBLTour::GetID() const {
  int number = rowNumber_.load(std::memory_order_relaxed);
  return number != 0 ? number : GetCameraNo();
}

GATE_REGISTER_ENTITY(CTBLTour);
