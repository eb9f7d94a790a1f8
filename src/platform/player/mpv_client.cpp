#include "platform/player/mpv_client.h"

#include "diagnostics/diagnostics.h"
#include "platform/player/mpv/disc_stream_protocol.h"
#include "platform/player/mpv_events.h"
#include "platform/player/mpv_raw_frame.h"

#include <clocale>
#include <memory>
#include <vector>

namespace {

mpv_node stringNode(const char* text)
{
    mpv_node node{};
    node.format = MPV_FORMAT_STRING;
    node.u.string = const_cast<char*>(text);
    return node;
}

} // namespace

MpvClient::MpvClient(const Setup& setup, QObject* parent) : QObject(parent), m_setup(setup)
{
    // libmpv parses and prints numbers with the C locale and refuses to start otherwise;
    // QApplication has set LC_NUMERIC from the environment.
    std::setlocale(LC_NUMERIC, "C");
    m_handleInMaking = std::async(std::launch::async, [this] {
        MpvHandlePtr mpv = createHandle();
        if (mpv)
            watchEvents(mpv.get());
        // The call dies with the client, which waits for this thread before it goes.
        QMetaObject::invokeMethod(
            this, [this] { emit handleMade(); }, Qt::QueuedConnection);
        return mpv;
    });
}

MpvClient::~MpvClient()
{
    if (mpv_handle* mpv = handle())
        mpv_set_wakeup_callback(mpv, nullptr, nullptr);
}

mpv_handle* MpvClient::handle() const
{
    if (m_handleInMaking.valid()) {
        Diagnostics::mark("mpv: handle needed");
        m_mpv = m_handleInMaking.get();
        Diagnostics::mark("mpv: handle ready");
    }
    return m_mpv.get();
}

bool MpvClient::isStarting() const
{
    using namespace std::chrono_literals;
    return m_handleInMaking.valid() && m_handleInMaking.wait_for(0s) != std::future_status::ready;
}

// Runs on the thread that makes the handle: touches nothing of the client but its setup.
MpvHandlePtr MpvClient::createHandle() const
{
    Diagnostics::mark("mpv: creating the handle");
    MpvHandlePtr mpv(mpv_create());
    if (!mpv) {
        qCCritical(lcMpv, "mpv_create failed");
        return mpv;
    }
    // Setting "af" before initialising parses it and nothing more: a filter libmpv lacks is
    // refused at once. Before the options, so that an "af" among them stays.
    if (!m_setup.probedAudioFilter.isEmpty()) {
        m_probedFilterFound =
            mpv_set_option_string(mpv.get(), "af", m_setup.probedAudioFilter.constData()) >= 0;
        mpv_set_option_string(mpv.get(), "af", "");
    }
    for (const MpvOption& option :
         MpvOptions::forPlayer(m_setup.renderVideo, m_setup.extraOptions)) {
        if (mpv_set_option_string(mpv.get(), option.name.constData(), option.value.constData()) < 0)
            qCWarning(lcMpv, "mpv does not accept %s=%s", option.name.constData(),
                      option.value.constData());
    }
    Diagnostics::mark("mpv: options set");
    if (mpv_initialize(mpv.get()) < 0) {
        qCCritical(lcMpv, "mpv_initialize failed");
        return nullptr;
    }
    if (m_setup.discs && !registerDiscStreamProtocol(mpv.get(), *m_setup.discs))
        qCWarning(lcMpv, "mpv refused the disc stream protocol: discs will not play");
    Diagnostics::mark("mpv: initialised");
    return mpv;
}

void MpvClient::watchEvents(mpv_handle* mpv)
{
    mpv_observe_property(mpv, MpvDurationProperty, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv, MpvTimePosProperty, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv, MpvVideoWidthProperty, "dwidth", MPV_FORMAT_INT64);
    mpv_observe_property(mpv, MpvVideoHeightProperty, "dheight", MPV_FORMAT_INT64);
    mpv_observe_property(mpv, MpvAudioChannelsProperty, "audio-params/channel-count",
                         MPV_FORMAT_INT64);
    mpv_request_log_messages(mpv, "warn");
    mpv_set_wakeup_callback(
        mpv,
        [](void* client) {
            // Called on mpv's threads: never call mpv here, only wake the GUI thread.
            // The callback is removed before the client goes away, and calls still
            // queued die with the client object.
            auto* self = static_cast<MpvClient*>(client);
            if (!self->m_wakeQueued.exchange(true))
                QMetaObject::invokeMethod(self, &MpvClient::wake, Qt::QueuedConnection);
        },
        this);
}

void MpvClient::wake()
{
    m_wakeQueued = false;
    emit eventsWaiting();
}

void MpvClient::command(std::uint64_t replyId, std::initializer_list<QByteArray> args)
{
    mpv_handle* mpv = handle();
    if (!mpv)
        return;
    std::vector<const char*> argv;
    argv.reserve(args.size() + 1);
    for (const QByteArray& arg : args)
        argv.push_back(arg.constData());
    argv.push_back(nullptr);
    mpv_command_async(mpv, replyId, argv.data());
}

void MpvClient::loadFile(std::uint64_t replyId, const QByteArray& url,
                         const MpvFileOptions& fileOptions)
{
    mpv_handle* mpv = handle();
    if (!mpv)
        return;
    // Named arguments: the positions after the flags differ between mpv versions.
    std::vector<char*> optionKeys;
    std::vector<mpv_node> optionValues;
    for (const auto& [name, value] : fileOptions) {
        optionKeys.push_back(const_cast<char*>(name));
        optionValues.push_back(stringNode(value));
    }
    mpv_node_list optionList{int(optionKeys.size()), optionValues.data(), optionKeys.data()};
    mpv_node options{};
    options.format = MPV_FORMAT_NODE_MAP;
    options.u.list = &optionList;

    char* keys[] = {const_cast<char*>("name"), const_cast<char*>("url"), const_cast<char*>("flags"),
                    const_cast<char*>("options")};
    mpv_node values[] = {stringNode("loadfile"), stringNode(url.constData()), stringNode("replace"),
                         options};
    mpv_node_list list{fileOptions.empty() ? 3 : 4, values, keys};
    mpv_node args{};
    args.format = MPV_FORMAT_NODE_MAP;
    args.u.list = &list;
    mpv_command_node_async(mpv, replyId, &args);
}

void MpvClient::setProperty(const char* name, const QByteArray& value, std::uint64_t replyId)
{
    mpv_handle* mpv = handle();
    if (!mpv)
        return;
    const char* data = value.constData();
    mpv_set_property_async(mpv, replyId, name, MPV_FORMAT_STRING, &data);
}

QString MpvClient::property(const char* name) const
{
    mpv_handle* mpv = handle();
    if (!mpv)
        return {};
    MpvStringPtr value(mpv_get_property_string(mpv, name));
    return value ? QString::fromUtf8(value.get()) : QString();
}

QImage MpvClient::videoFrame() const
{
    mpv_handle* mpv = handle();
    if (!mpv)
        return {};
    const char* args[] = {"screenshot-raw", "video", nullptr};
    mpv_node result{};
    if (mpv_command_ret(mpv, args, &result) < 0)
        return {};
    // The node owns the pixels until it is freed; the image is a copy.
    const std::unique_ptr<mpv_node, void (*)(mpv_node*)> guard(&result, mpv_free_node_contents);
    return mpvRawFrameImage(result);
}
