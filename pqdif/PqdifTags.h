#pragma once
// Tag identifiers and identifier values of the public IEEE 1159.3 tag list that
// this layer uses (or that writers of fixtures need).
#include "pqdif/PqdifTypes.h"

namespace pqdif {

#define PQDIF_TAG(name, text) constexpr PqdifGuid name = PqdifGuid::fromString(text)

// File signature, the first 16 bytes of every record header.
PQDIF_TAG(signature, "4a111440-e49f-11cf-9900-505144494600");

// Record types.
PQDIF_TAG(tagContainer, "89738606-f1c3-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagRecDataSource, "89738619-f1c3-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagRecMonitorSettings, "b48d858c-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagRecObservation, "8973861a-f1c3-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagBlank, "89738618-f1c3-11cf-9d89-0080c72e70a3");

// Container.
PQDIF_TAG(tagVersionInfo, "89738607-f1c3-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagFileName, "89738608-f1c3-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagCreation, "89738609-f1c3-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagCompressionStyleID, "8973861b-f1c3-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagCompressionAlgorithmID, "8973861c-f1c3-11cf-9d89-0080c72e70a3");

// Data source.
PQDIF_TAG(tagDataSourceTypeID, "b48d8581-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagVendorID, "b48d8582-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagEquipmentID, "b48d8583-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagSerialNumberDS, "b48d8585-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagVersionDS, "b48d8586-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagNameDS, "b48d8587-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagOwnerDS, "b48d8588-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagLocationDS, "b48d8589-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagTimeZoneDS, "b48d858a-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagEffective, "62f28183-f9c4-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagChannelDefns, "b48d858d-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagOneChannelDefn, "b48d858e-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagChannelName, "b48d8590-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagPhaseID, "b48d8591-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagQuantityTypeID, "b48d8592-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagQuantityMeasuredID, "c690e872-f755-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagSeriesDefns, "b48d8598-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagOneSeriesDefn, "b48d859a-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagValueTypeID, "b48d859c-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagQuantityUnitsID, "b48d859b-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagQuantityCharacteristicID, "3d786f9e-f76e-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagStorageMethodID, "b48d85a1-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagHintGreekPrefixID, "b48d859e-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagHintPreferredUnitsID, "b48d859f-f5f5-11cf-9d89-0080c72e70a3");

// Monitor settings.
PQDIF_TAG(tagNominalFrequency, "0fa118c3-cb4a-11d2-b30b-fe25cb9a1760");
PQDIF_TAG(tagChannelSettingsArray, "62f28182-f9c4-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagOneChannelSetting, "3d786f9a-f76e-11cf-9d89-0080c72e70a3");

// Observation.
PQDIF_TAG(tagObservationName, "3d786f8a-f76e-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagTimeCreate, "3d786f8b-f76e-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagTimeStart, "3d786f8c-f76e-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagTriggerMethodID, "3d786f8d-f76e-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagObservationSerial, "3d786f90-f76e-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagChannelInstances, "3d786f91-f76e-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagOneChannelInst, "3d786f92-f76e-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagChannelDefnIdx, "b48d858f-f5f5-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagChannelGroupID, "f90de218-e67b-4cf1-a295-b021a2d46767");
PQDIF_TAG(tagSeriesInstances, "3d786f93-f76e-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagOneSeriesInstance, "3d786f94-f76e-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagSeriesValues, "3d786f99-f76e-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagSeriesScale, "3d786f96-f76e-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagSeriesOffset, "3d786f97-f76e-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagSeriesShareChannelIdx, "8973861f-f1c3-11cf-9d89-0080c72e70a3");
PQDIF_TAG(tagSeriesShareSeriesIdx, "89738620-f1c3-11cf-9d89-0080c72e70a3");

// Data source types.
PQDIF_TAG(ID_DS_TYPE_MEASURE, "e6b51730-f747-11cf-9d89-0080c72e70a3");

// Quantity types.
PQDIF_TAG(ID_QT_WAVEFORM, "67f6af80-f753-11cf-9d89-0080c72e70a3");
PQDIF_TAG(ID_QT_VALUELOG, "67f6af82-f753-11cf-9d89-0080c72e70a3");

// Series value types.
PQDIF_TAG(ID_SERIES_VALUE_TYPE_VAL, "67f6af97-f753-11cf-9d89-0080c72e70a3");
PQDIF_TAG(ID_SERIES_VALUE_TYPE_TIME, "c690e862-f755-11cf-9d89-0080c72e70a3");
PQDIF_TAG(ID_SERIES_VALUE_TYPE_MIN, "67f6af98-f753-11cf-9d89-0080c72e70a3");
PQDIF_TAG(ID_SERIES_VALUE_TYPE_MAX, "67f6af99-f753-11cf-9d89-0080c72e70a3");
PQDIF_TAG(ID_SERIES_VALUE_TYPE_AVG, "67f6af9a-f753-11cf-9d89-0080c72e70a3");

// Quantity characteristics.
PQDIF_TAG(ID_QC_NONE, "a6b31adf-b451-11d1-ae17-0060083a2628");
PQDIF_TAG(ID_QC_INSTANTANEOUS, "a6b31add-b451-11d1-ae17-0060083a2628");
PQDIF_TAG(ID_QC_RMS, "a6b31ae5-b451-11d1-ae17-0060083a2628");

#undef PQDIF_TAG

// Compression (container tags).
enum : uint32_t {
    ID_COMP_STYLE_NONE = 0,
    ID_COMP_STYLE_TOTALFILE = 1,
    ID_COMP_STYLE_RECORDLEVEL = 2,
    ID_COMP_ALG_NONE = 0,
    ID_COMP_ALG_ZLIB = 1,
    ID_COMP_ALG_PKZIPCL = 64,
};

// Storage method bits of a series definition.
enum : uint32_t {
    ID_SERIES_METHOD_VALUES = 0x01,
    ID_SERIES_METHOD_SCALED = 0x02,
    ID_SERIES_METHOD_INCREMENT = 0x04,
};

// Quantity units codes that decide the meaning of a time series.
enum : uint32_t {
    ID_QU_NONE = 0,
    ID_QU_TIMESTAMP = 1,
    ID_QU_SECONDS = 2,
    ID_QU_CYCLES = 3,
    ID_QU_VOLTS = 6,
    ID_QU_AMPS = 7,
};

// Phase codes used by fixtures.
enum : uint32_t {
    ID_PHASE_NONE = 0,
    ID_PHASE_AN = 1,
    ID_PHASE_BN = 2,
    ID_PHASE_CN = 3,
};

// Quantity measured codes used by fixtures.
enum : uint32_t {
    ID_QM_NONE = 0,
    ID_QM_VOLTAGE = 1,
    ID_QM_CURRENT = 2,
};

} // namespace pqdif
