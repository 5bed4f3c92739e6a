#include "exporter/Readings.h"

namespace quimbo::exporter {

Readings Readings::sample(SMC& smc, double time) {
  Readings readings;
  // Unlike the Monitor, which opens it once, every pass tries again: a
  // service started before the sensors' drivers load finds them once they do.
  readings.available = smc.isOpen() || smc.open();
  readings.time = time;
  if (!readings.available) return readings;
  readings.fans = Monitor::readFans(smc);
  readings.temperatures = smc.temperatures();
  readings.summary = Monitor::summarise(readings.temperatures);
  return readings;
}

}  // namespace quimbo::exporter
