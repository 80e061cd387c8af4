#pragma once

#include <QApplication>

namespace pairsift {

// How strongly the program asks for the user's attention from the background.
enum class UserAttentionRequest {
    // Until the user comes to the program.
    CriticalRequest = 0,
    // Once, briefly.
    InformationalRequest = 10,
};

// The application object. An exception that an event handler lets out is logged, kept as a crash
// report, and the program goes on. Critical attention requests can be softened ahead of time: each
// suppressUserAttention() turns the next critical request into an informational one.
class PairsiftApplication : public QApplication {
    Q_OBJECT

public:
    PairsiftApplication(int& argc, char** argv);

    static PairsiftApplication* instance();

    bool notify(QObject* receiver, QEvent* event) override;

    qint64 suppressUserAttentionCount() const { return m_suppressUserAttentionCount; }
    void suppressUserAttention() { ++m_suppressUserAttentionCount; }
    // Alerts the active (else the first) window; answers the request that was made.
    UserAttentionRequest requestUserAttention(UserAttentionRequest request);

Q_SIGNALS:
    // After an exception was caught, with its description and the report's path (null when none).
    void exceptionCaught(const QString& description, const QString& reportPath);

private:
    void handleException(QObject* receiver, QEvent* event, const QString& what);

    qint64 m_suppressUserAttentionCount = 0;
};

} // namespace pairsift
