// Speed of the hot path of a conversion: checksumming entries, formatting
// reals, encoding texts and serialising record trees into the output buffer.
#include "convert/driver.h"
#include "db/crc16.h"
#include "xml/values.h"
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

// The checksum of an entry's bytes: 61 is the median entry of a generated
// job, 256 a long one; the larger sizes show the streaming rate.
template <uint16_t (*crc16)(const void*, size_t, uint16_t)>
void BM_Checksum(benchmark::State& state) {
    std::vector<uint8_t> bytes(static_cast<size_t>(state.range(0)));
    std::mt19937 random(3);
    for (uint8_t& b : bytes)
        b = static_cast<uint8_t>(random());
    uint16_t crc = 0;
    for (auto _ : state) {
        crc = crc16(bytes.data(), bytes.size(), crc);
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_Crc16Arc(benchmark::State& state) {
    BM_Checksum<Crc16Arc>(state);
}
BENCHMARK(BM_Crc16Arc)->Arg(16)->Arg(32)->Arg(61)->Arg(256)->Arg(4096)->Arg(1 << 20);

// The table routine, which processors without the folding one run.
void BM_Crc16ArcTable(benchmark::State& state) {
    BM_Checksum<Crc16ArcTable>(state);
}
BENCHMARK(BM_Crc16ArcTable)->Arg(16)->Arg(32)->Arg(61)->Arg(256)->Arg(4096)->Arg(1 << 20);

void BM_FormatReal(benchmark::State& state) {
    const std::vector<double> values = SurveyValues();
    char text[kValueTextSize];
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatReal(text, values[i++ & 4095]));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatReal);

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

// An observation with its measurement, laid into the output as the
// conversion does.
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

void BM_ObservationRecord(benchmark::State& state) {
    const auto point = TypicalObservation();
    Str buffer;
    buffer.Reserve(1 << 17);
    StreamSink sink(buffer, nullptr);
    int64_t bytes = 0;
    for (auto _ : state) {
        if (buffer.Length() > kFlushThreshold) {
            bytes += buffer.Length();
            buffer.Truncate(0);
        }
        WriteRecord(sink, *point);
    }
    bytes += buffer.Length();
    state.SetBytesProcessed(bytes);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ObservationRecord);

} // namespace
} // namespace tqxml
