// Speed of the hot path of a conversion: formatting reals, encoding texts and
// serialising record trees into the output buffer.
#include "convert/driver.h"
#include "convert/values.h"
#include "records/observation.h"
#include "xml/xml_out.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace tqxml {
namespace {

// Values as a survey job holds them: grid coordinates and heights in metres
// to the millimetre, angles in radians, scale factors, small residuals, a
// few integers and some no-value reals.
std::vector<double> SurveyValues() {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> values;
    for (int i = 0; i < 4096; ++i) {
        switch (i % 8) {
        case 0:
            values.push_back(std::round((5000000.0 + unit(random) * 1000000.0) * 1000.0) / 1000.0);
            break;
        case 1:
            values.push_back(std::round((300000.0 + unit(random) * 500000.0) * 1000.0) / 1000.0);
            break;
        case 2:
            values.push_back(std::round(unit(random) * 2000.0 * 1000.0) / 1000.0);
            break;
        case 3:
            values.push_back(unit(random) * 6.283185307179586);
            break;
        case 4:
            values.push_back(0.9996 + unit(random) * 1e-4);
            break;
        case 5:
            values.push_back((unit(random) - 0.5) * 1e-3);
            break;
        case 6:
            values.push_back(static_cast<double>(random() % 1000));
            break;
        default:
            values.push_back(1e308);
            break;
        }
    }
    return values;
}

void BM_RealValue(benchmark::State& state) {
    const std::vector<double> values = SurveyValues();
    size_t i = 0;
    for (auto _ : state) {
        Str text = RealValue(values[i++ & 4095]);
        benchmark::DoNotOptimize(text.CStr());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RealValue);

void BM_AppendReal(benchmark::State& state) {
    const std::vector<double> values = SurveyValues();
    Str out;
    out.Reserve(1 << 16);
    size_t i = 0;
    for (auto _ : state) {
        if (out.Length() > 60000) out.Truncate(0);
        AppendReal(out, values[i++ & 4095]);
    }
    benchmark::DoNotOptimize(out.CStr());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendReal);

// The C runtime's formatting of the same values, for comparison.
void BM_SnprintfReal(benchmark::State& state) {
    const std::vector<double> values = SurveyValues();
    char text[64];
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::snprintf(text, sizeof text, "%.16G", values[i++ & 4095]));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SnprintfReal);

void BM_EncodeXmlText(benchmark::State& state) {
    // Mostly plain bytes with the odd entity and control byte.
    std::string text;
    const char* pieces[] = {"Stake out of boundary peg ",
                            "north & east ",
                            "\"B12\"\r\n",
                            "offset 0.25 m ",
                            "<check> ",
                            "\tabc"};
    for (int i = 0; text.size() < static_cast<size_t>(state.range(0)); ++i)
        text += pieces[i % 6];
    text.resize(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        Str encoded = EncodeXmlText(text.c_str());
        benchmark::DoNotOptimize(encoded.CStr());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EncodeXmlText)->Arg(16)->Arg(256)->Arg(4096);

// A point record as the writers build it: twenty fields, one sub-structure.
xmlout_element* TypicalRecord(int n) {
    auto* record = new xmlout_element("DATABASE_PointRecord");
    record->isRecord = true;
    record->AddAttribute("ID", HexValue(static_cast<uint32_t>(n)));
    record->AddAttribute("type", UnsignedValue(12));
    record->AddAttribute("TimeStamp", "2024-06-11T10:15:02");
    record->AddChild(new xmlout_element("Name", TextValue("PT1042")));
    record->AddChild(new xmlout_element("Code", TextValue("FENCE & GATE")));
    record->AddChild(new xmlout_element("Method", "GNSS"));
    record->AddChild(new xmlout_element("Classification", "Normal"));
    record->AddChild(new xmlout_element("Deleted", BoolValue(false)));
    record->AddChild(new xmlout_element("ObservationID", HexValue(0x1234)));
    auto* grid = new xmlout_element("Grid");
    grid->AddAttribute("datatype", "coord_Local");
    grid->AddChild(new xmlout_element("North", RealValue(5432109.876 + n)));
    grid->AddChild(new xmlout_element("East", RealValue(456789.012)));
    grid->AddChild(new xmlout_element("Elevation", RealValue(123.456)));
    record->AddChild(grid);
    record->AddChild(new xmlout_element("Latitude", RealValue(0.8412345678901234)));
    record->AddChild(new xmlout_element("Longitude", RealValue(-1.234567890123456)));
    record->AddChild(new xmlout_element("Height", RealValue(56.789)));
    record->AddChild(new xmlout_element("AntennaHeight", RealValue(1.8)));
    record->AddChild(new xmlout_element("HorizontalPrecision", RealValue(0.012)));
    record->AddChild(new xmlout_element("VerticalPrecision", RealValue(0.021)));
    record->AddChild(new xmlout_element("PDOP", RealValue(1.7)));
    record->AddChild(new xmlout_element("Satellites", UnsignedValue(14)));
    record->AddChild(new xmlout_element("Epochs", UnsignedValue(180)));
    record->AddChild(new xmlout_element("Scale", RealValue(1e308)));
    record->AddChild(new xmlout_element("Description1", TextValue("")));
    record->AddChild(new xmlout_element("Description2", TextValue("corner")));
    return record;
}

void BM_WriteRecord(benchmark::State& state) {
    xmlout_element* record = TypicalRecord(1);
    Str buffer;
    buffer.Reserve(1 << 17);
    int64_t bytes = 0;
    for (auto _ : state) {
        // Emptied where a flush would be, without the file in the timing.
        if (buffer.Length() > kFlushThreshold) {
            bytes += buffer.Length();
            buffer.Truncate(0);
        }
        Write(record, nullptr, true, 1, buffer);
    }
    bytes += buffer.Length();
    state.SetBytesProcessed(bytes);
    state.SetItemsProcessed(state.iterations());
    delete record;
}
BENCHMARK(BM_WriteRecord);

// Building the tree as well, as the driver does for every record.
void BM_BuildWriteFreeRecord(benchmark::State& state) {
    Str buffer;
    buffer.Reserve(1 << 17);
    int64_t bytes = 0;
    int n = 0;
    for (auto _ : state) {
        if (buffer.Length() > kFlushThreshold) {
            bytes += buffer.Length();
            buffer.Truncate(0);
        }
        xmlout_element* record = TypicalRecord(n++);
        Write(record, nullptr, true, 1, buffer);
        delete record;
    }
    bytes += buffer.Length();
    state.SetBytesProcessed(bytes);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildWriteFreeRecord);

// An observation with its measurement, tree built and laid out (the reference
// form) against laid straight into the output (what the conversion does).
std::unique_ptr<db_Observation> TypicalObservation() {
    auto point = std::make_unique<db_Observation>();
    point->RecordId = 0x1234;
    point->TimeStamp = 1417000123.5;
    point->PointName = "CP1042";
    point->Method = 3;
    point->SurveyMethod = 2;
    point->Classification = 4;
    point->Descriptions.Description1 = "Kerb";
    db_Circle circle;
    circle.RecordId = 0x1235;
    circle.TimeStamp = 1417000123.5;
    circle.Circle.HorzCircle = 1.234567890123;
    circle.Circle.VertCircle = 1.5707963267949;
    circle.Circle.EDMDistance = 123.4567;
    circle.Station = 0x20;
    circle.Target = 0x21;
    circle.CreatedView = 0x24;
    point->SetMeasurement(circle);
    return point;
}

template <bool Stream> void BM_ObservationRecord(benchmark::State& state) {
    const auto point = TypicalObservation();
    Str buffer;
    buffer.Reserve(1 << 17);
    int64_t bytes = 0;
    for (auto _ : state) {
        if (buffer.Length() > kFlushThreshold) {
            bytes += buffer.Length();
            buffer.Truncate(0);
        }
        if constexpr (Stream) {
            WriteRecord(*point, buffer, nullptr);
        } else {
            xmlout_element* element = WriteRecordElement(*point);
            AddRecordAttributes(element, *point);
            element->isRecord = true;
            Write(element, nullptr, true, 1, buffer);
            delete element;
        }
    }
    bytes += buffer.Length();
    state.SetBytesProcessed(bytes);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ObservationRecord<false>)->Name("BM_ObservationRecord/tree");
BENCHMARK(BM_ObservationRecord<true>)->Name("BM_ObservationRecord/stream");

} // namespace
} // namespace tqxml
