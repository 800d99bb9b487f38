// Export names of "Brantel.dll" as X-macro lists, shared by the binder and the library.
#pragma once

// Exports the program calls: X(name, function type).
#define PACKWATCH_EC_CALLED_EXPORTS(X)          \
  X(LoadECDriver, EcLoadDriverFn)               \
  X(UnloadECDriver, EcUnloadDriverFn)           \
  X(SetBufResizeCallback, EcSetBufResizeCallbackFn) \
  X(ECMem3r, EcMemFn)                           \
  X(ECMem3w, EcMemFn)                           \
  X(RomRead, EcMemFn)                           \
  X(Ext3rdCmd, EcExtCmdFn)                      \
  X(IOWrite8, EcIoWrite8Fn)                     \
  X(IndexIO, EcIndexIoFn)                       \
  X(ReadPhyMemory, EcReadPhyMemoryFn)           \
  X(MAPPHYSTOLIN, EcMapFn)                      \
  X(UNMAPPHYSADDR, EcMapFn)

// Exports the program binds but never calls: X(name).
#define PACKWATCH_EC_UNUSED_EXPORTS(X)                                                         \
  X(IOWrite32) X(IOWrite16) X(IORead32) X(IORead16) X(IORead8) X(WritePhyMemory) X(MMIORead8)  \
  X(MMIORead16) X(MMIORead32) X(MMIORead64) X(MMIOWrite8) X(MMIOWrite16) X(MMIOWrite32)        \
  X(MMIOWrite64) X(RomRead6064) X(ECMemr) X(ECMemw) X(Ext60Cmd) X(EcB6Cmd) X(Ext62Cmd)         \
  X(ReadReg256Byte) X(InitRegAddr) X(ReadTbl) X(InitTableAddr) X(ReadTableReg) X(ReadReg)      \
  X(torpm_s) X(torpm) X(GetRev) X(GetTmp) X(GetFan) X(GetBatt) X(GetFanStatus) X(GetOthers)    \
  X(SetTmp0Offset) X(SetTmp1Offset) X(SetFan0Stage) X(SetFan1Stage) X(SetFan0StageMax)         \
  X(SetFan1StageMax) X(GetAll) X(ADCInit) X(ADCInitCH) X(ADCGet) X(DACInit) X(DACGet)          \
  X(DACSet) X(ReadPCI) X(ReadPCIe) X(EnumPCI) X(CPUCommand) X(SetMemBase) X(ReadMem)           \
  X(ReadMemBuf) X(Compare2) X(ToPciCFG) X(ToPcieCFG)
