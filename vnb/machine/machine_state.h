// The whole virtual notebook as it lives in the shared segment: plain data only (no pointers,
// no constructors), so every process and every library instance that maps the segment sees
// the same machine. Physical addresses of the firmware are byte offsets into this structure.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace vnb {

// Bumped whenever the layout below changes; a segment of another version is replaced.
inline constexpr std::uint32_t kLayoutVersion = 3;
inline constexpr std::uint32_t kInitialisedMagic = 0x31424E56u;  // "VNB1"

inline constexpr std::size_t kBatterySlots = 2;
inline constexpr std::size_t kCells = 4;
inline constexpr std::size_t kCmosBytes = 288;
inline constexpr std::size_t kPhysRegionSize = 0x1000;
inline constexpr std::size_t kAcpiBufferSize = 48;

// Charging phases of one pack.
enum class PackPhase : std::uint8_t { kIdle = 0, kConstantCurrent, kConstantVoltage, kFull, kDischarging };

// What the pack is made of: fixed for its life.
struct PackIdentity {
  char manufacturerName[11];  // ten identification characters, NUL-terminated
  char deviceName[8];         // seven characters
  char chemistry[5];          // four characters
  std::uint8_t seriesCells;
  std::uint8_t parallelCells;
  std::uint16_t designCapacity;   // mAh
  std::uint16_t designVoltage;    // mV
  std::uint16_t ccCurrent;        // mA asked for in the constant-current phase
  std::uint16_t cellChargeVoltage;  // mV per cell in the constant-voltage phase
  std::uint16_t serialNumber;
  std::uint16_t manufactureDate;  // SBS packing: (year-1980)*512 + month*32 + day
  std::int16_t cellImbalance[kCells];  // mV per cell around the mean, zero sum
};

// The physical state that moves with time.
struct PackPhysics {
  double remaining;       // mAh
  double fullCharge;      // mAh
  double temperature;     // degrees Celsius
  double current;         // mA, positive while charging
  double averageCurrent;  // mA
  double dischargedSinceCycle;  // mAh towards the next cycle count
  std::uint16_t cycleCount;
  PackPhase phase;
  std::uint8_t fullyCharged;     // latched at charge termination until the pack drops below 95 %
  std::uint8_t fullyDischarged;  // latched at empty until charging starts
};

// Every value the pack reports, computed once per model step so that every path agrees.
struct PackReadings {
  std::uint16_t temperatureDeciKelvin;
  std::uint16_t voltage;
  std::int16_t current;
  std::int16_t averageCurrent;
  std::uint8_t maxError;
  std::uint8_t relativeStateOfCharge;
  std::uint8_t absoluteStateOfCharge;
  std::uint8_t stateByte;  // EC battery state byte: bit 0 discharging, 1 charging, 2 low, 3 full
  std::uint16_t remaining;
  std::uint16_t fullCharge;
  std::uint16_t runTimeToEmpty;
  std::uint16_t averageTimeToEmpty;
  std::uint16_t averageTimeToFull;
  std::uint16_t chargingCurrent;
  std::uint16_t chargingVoltage;
  std::uint16_t status;
  std::uint16_t mode;
  std::uint16_t cycleCount;
  std::uint16_t cellVoltage[kCells];  // cell 1 first; 0 for cells the pack does not have
  std::uint8_t charging;
  std::uint8_t discharging;
};

struct BatterySlot {
  std::uint8_t exists;   // the profile has this slot
  std::uint8_t present;  // a pack sits in it
  PackIdentity identity;
  PackPhysics physics;
  PackReadings readings;
};

// The EC's SMBus host controller.
struct SmbusController {
  std::uint8_t registers[256];
  std::uint8_t running;      // a transaction was started and has not completed
  std::uint8_t resultValid;  // the latched result below belongs to the running transaction
  std::uint8_t resultStatus;
  std::uint8_t resultCount;
  std::uint8_t resultData[32];
  std::int64_t dueNs;  // monotonic time at which the running transaction completes
};

struct Clock {
  std::int64_t realBaseNs;    // monotonic time at which simBase was taken
  double simBase;             // simulated seconds at realBaseNs
  double speed;               // simulated seconds per real second
  double simNow;              // simulated seconds of the last step
  std::int64_t lastStepNs;    // monotonic time of the last step
  std::uint64_t stepCount;
};

struct MachineConfig {
  std::uint32_t profile;  // index into the profile table
  std::uint32_t faults;   // bit per Fault
  std::uint8_t acPlugged;
  std::uint8_t throttleStatus;  // latched throttle bits of the EC
};

struct SegmentHeader {
  std::atomic<std::uint32_t> initialised;  // kInitialisedMagic once everything below is set up
  std::uint32_t layoutVersion;
  std::uint64_t size;
  pthread_mutex_t mutex;  // process-shared, robust
};

struct MachineState {
  SegmentHeader header;
  MachineConfig config;
  Clock clock;
  BatterySlot slots[kBatterySlots];
  SmbusController smbus;
  std::uint8_t cmos[kCmosBytes];  // the upper CMOS bank behind ports 0x72/0x73
  std::uint8_t ecRam[65536];
  std::uint8_t ecRom[65536];
  // "Physical memory" of the firmware: tables, the mailbox area and the ACPI exchange buffer.
  alignas(64) std::uint8_t phys[kPhysRegionSize];
};

static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

// Physical addresses (segment offsets) of the firmware's areas.
inline constexpr std::uint32_t kPhysBase = static_cast<std::uint32_t>(offsetof(MachineState, phys));
inline constexpr std::uint32_t kPhysFirmwareTable = kPhysBase + 0x000;  // X: holds P at +0xDC
inline constexpr std::uint32_t kFirmwareTableMailboxPointer = 0xDC;
inline constexpr std::uint32_t kPhysMailboxArea = kPhysBase + 0x200;    // 512 bytes "$ECMA$"
inline constexpr std::uint32_t kMailboxAreaSize = 0x200;
inline constexpr std::uint32_t kMailboxBlockOffset = 8;
inline constexpr std::uint32_t kPhysUnsignedArea = kPhysBase + 0x600;   // an area without signature
inline constexpr std::uint32_t kPhysAcpiBuffer = kPhysBase + 0x800;     // 48 bytes, 256 mappable
inline constexpr std::uint32_t kCmosFirmwareTablePointer = 0x43;

}  // namespace vnb
