#include "exporter/Readings.h"

namespace quimbo::exporter {

Readings Readings::sample(SMC& smc, double time) {
  Readings readings;
  readings.available = smc.isOpen();
  readings.time = time;
  if (!readings.available) return readings;
  readings.fans = Monitor::readFans(smc);
  readings.temperatures = smc.temperatures();
  readings.summary = Monitor::summarise(readings.temperatures);
  return readings;
}

}  // namespace quimbo::exporter
