// Quillow's own codec: the tool's request, the replies it decodes, and the
// text forms of the values.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/benchmarks.h"
#include "bench/fixtures.h"
#include "message/message.h"
#include "message/parser.h"
#include "values/counter64.h"
#include "values/numbers.h"
#include "values/oid.h"
#include "values/strings.h"

namespace quillow {
namespace bench {

namespace {

// The request exactly as the tool builds it, community aside: the tool takes
// the community from its command line.
std::unique_ptr<SnmpMessage> buildRequest() {
    std::unique_ptr<SnmpMessage> request(new SnmpMessage(kTagGetRequest, 0));
    request->setCommunity(kCommunity);
    request->setRequestId(kRequestId);
    request->addVarbind(new Varbind(new SnmpOid(kRequestOid), nullptr));
    return request;
}

std::string checkRequest(const SnmpMessage& request) {
    const Bytes& expected = getRequest40();
    if (request.encodedSize() != expected.size()) return "the request's size is not the tool's 40 bytes";
    Bytes written(expected.size());
    std::uint8_t* at = written.data();
    request.encode(at);
    return written == expected ? "" : "the request does not encode to the tool's 40 bytes";
}

// Building the request from the tool's inputs, sizing it, allocating its
// buffer and encoding it: everything the tool does before the datagram
// leaves, the dotted identifier parsed from its text included.
Operation buildAndEncodeRequest() {
    Operation op;
    op.name = "quillow/build_and_encode_request_40";
    op.bytes = getRequest40().size();
    op.check = [] { return checkRequest(*buildRequest()); };
    op.run = [] {
        SnmpMessage request(kTagGetRequest, 0);
        request.setCommunity(kCommunity);
        request.setRequestId(kRequestId);
        request.addVarbind(new Varbind(new SnmpOid(kRequestOid), nullptr));
        const std::size_t size = request.encodedSize();
        std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[size]());
        std::uint8_t* at = buffer.get();
        request.encode(at);
        benchmark::DoNotOptimize(buffer.get());
        benchmark::ClobberMemory();
    };
    return op;
}

// Encoding alone: sizing a request built beforehand and writing it into a
// buffer that exists already.
Operation encodeRequest() {
    struct State {
        std::unique_ptr<SnmpMessage> request = buildRequest();
        std::uint8_t buffer[64] = {};
    };
    auto state = std::make_shared<State>();
    Operation op;
    op.name = "quillow/encode_request_40";
    op.bytes = getRequest40().size();
    op.check = [state] { return checkRequest(*state->request); };
    op.run = [state] {
        const std::size_t size = state->request->encodedSize();
        benchmark::DoNotOptimize(size);
        std::uint8_t* at = state->buffer;
        state->request->encode(at);
        benchmark::DoNotOptimize(state->buffer);
        benchmark::ClobberMemory();
    };
    return op;
}

// Walks the bindings by their links, the way a caller that wants all of them
// reads them; reading by position would walk from the head for each one.
std::size_t touchBindings(const SnmpMessage& message) {
    std::size_t count = 0;
    for (const Varbind* v = message.getVarbinds()->getHead(); v != nullptr; v = v->getNext()) {
        benchmark::DoNotOptimize(v->getName());
        benchmark::DoNotOptimize(v->getValue());
        ++count;
    }
    return count;
}

// Checks that the bytes decode to what they were written to hold, so that
// what is timed is a full decode and not an early refusal.
std::string checkDecode(const Bytes& bytes, const Bytes& expectedTags) {
    MessageParser parser(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    const std::unique_ptr<SnmpMessage> message = parser.release();
    if (message == nullptr) return "the reply was refused";
    if (message->getPduType() != kTagGetResponse || message->getRequestId() != kRequestId ||
        message->getErrorStatus() != 0) {
        return "the reply's header was misread";
    }
    if (touchBindings(*message) != expectedTags.size()) return "the reply's bindings were miscounted";
    std::size_t i = 0;
    for (const Varbind* v = message->getVarbinds()->getHead(); v != nullptr; v = v->getNext(), ++i) {
        if (v->getName() == nullptr || v->getName()->getTag() != kTagObjectIdentifier || v->getValue() == nullptr) {
            return "a binding lacks its name or its value";
        }
        if (v->getValue()->getTag() != expectedTags[i]) return "a value was decoded as the wrong type";
    }
    return "";
}

// Decoding a whole datagram into a message whose bindings are ready to use,
// then freeing it: what the transport does with every reply.
Operation decode(const std::string& workload, Bytes bytes, Bytes expectedTags) {
    auto data = std::make_shared<const Bytes>(std::move(bytes));
    auto tags = std::make_shared<const Bytes>(std::move(expectedTags));
    Operation op;
    op.name = "quillow/" + workload;
    op.bytes = data->size();
    op.bindings = tags->size();
    op.check = [data, tags] { return checkDecode(*data, *tags); };
    op.run = [data] {
        MessageParser parser(data->data(), static_cast<std::int32_t>(data->size()));
        const std::unique_ptr<SnmpMessage> message = parser.release();
        benchmark::DoNotOptimize(message->getRequestId());
        benchmark::DoNotOptimize(touchBindings(*message));
    };
    return op;
}

// A value whose cached text can be dropped, so that every operation builds
// the text form afresh: allocating it, filling it, and freeing the one before.
template <typename Value>
class FreshText : public Value {
public:
    using Value::Value;
    void forgetText() { this->cachedText_.reset(); }
};

template <typename Value>
Operation textForm(const ValueSample& sample) {
    struct State {
        explicit State(const Bytes& element)
            : cursor(element.data() + 1, element.size() - 1), value(cursor), tag(element[0]) {}
        DecodeCursor cursor;
        FreshText<Value> value;
        std::uint8_t tag;
    };
    auto state = std::make_shared<State>(sample.element);
    Operation op;
    op.name = std::string("quillow/text/") + sample.name;
    const char* text = state->value.toText();
    op.label = text != nullptr ? text : "";
    op.check = [state] {
        const bool whole = state->cursor.good() && state->cursor.remaining() == 0;
        return whole && state->value.getTag() == state->tag && state->value.toText() != nullptr
                   ? ""
                   : "the sample value did not decode";
    };
    op.run = [state] {
        state->value.forgetText();
        benchmark::DoNotOptimize(state->value.toText());
    };
    return op;
}

Operation textFormOf(const ValueSample& sample) {
    const std::string name = sample.name;
    if (name == "Integer") return textForm<SnmpInteger>(sample);
    if (name == "Counter") return textForm<SnmpCounter>(sample);
    if (name == "Gauge") return textForm<SnmpGauge>(sample);
    if (name == "TimeTicks") return textForm<SnmpTimeTicks>(sample);
    if (name == "Counter64") return textForm<SnmpCounter64>(sample);
    if (name == "OctetString" || name == "OctetStringHex") return textForm<SnmpOctetString>(sample);
    if (name == "IpAddress") return textForm<SnmpIpAddress>(sample);
    if (name == "Oid") return textForm<SnmpOid>(sample);
    if (name == "Opaque") return textForm<SnmpOpaque>(sample);
    std::fprintf(stderr, "no value class for the sample %s\n", sample.name);
    std::abort();
}

Bytes mixedTags(std::size_t bindings) {
    Bytes tags;
    for (std::size_t i = 0; i < bindings; ++i) tags.push_back(tagOf(kindAt(i)));
    return tags;
}

}  // namespace

std::vector<Operation> quillowOperations() {
    std::vector<Operation> ops{buildAndEncodeRequest(), encodeRequest(),
                               decode("decode_response_41", getResponse41(), {kTagTimeTicks})};
    for (const std::size_t n : kBindingCounts) {
        ops.push_back(decode("decode_bindings/" + std::to_string(n), mixedResponse(n), mixedTags(n)));
    }
    ops.push_back(decode("decode_octet_string/" + std::to_string(kLargeOctetString),
                         octetStringResponse(kLargeOctetString), {kTagOctetString}));
    for (const ValueSample& sample : valueSamples()) ops.push_back(textFormOf(sample));
    return ops;
}

}  // namespace bench
}  // namespace quillow
