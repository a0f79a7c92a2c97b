#pragma once

// Where the wizard's flow stands: which detection runs (m_nPhase) and how far the radio-module
// upgrade has come (m_nCVMPhase). 0 is idle in both.

// m_nPhase
inline constexpr int kFirstDetection = 1;
inline constexpr int kRadioModuleDetection = 3;  // the detection before the radio-module upgrade

// m_nCVMPhase
inline constexpr int kCvmPhaseUpgrade = 1;  // the console has another radio-module version
inline constexpr int kCvmPhaseImageSent = 3;
inline constexpr int kCvmPhaseVerifying = 4;  // the verification after the radio-module download
