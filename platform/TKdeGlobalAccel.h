#pragma once

#include <QKeyCombination>
#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

// Global shortcuts through KDE's shortcut service (org.kde.kglobalaccel on
// the session bus), which works on Plasma's Wayland session where no client
// may grab keys. Each registered action shows under the component's name in
// the desktop's shortcut settings, where the user may change its keys; the
// service then reports presses of whatever keys it has now.
class TKdeGlobalAccel : public QObject {
    Q_OBJECT

public:
    // `component` is the stable name the service stores the actions under,
    // `componentName` the one the user sees.
    TKdeGlobalAccel(const QString &component, const QString &componentName, QObject *parent = nullptr);
    ~TKdeGlobalAccel() override; // every action inactive, its keys kept for the next start

    // Registers `keys` as the action `name` under id (> 0), replacing what
    // id held. False when the service is unreachable, when the combination
    // is ours under another id, or when the service gives the action no key
    // (another program has it).
    bool Register(int id, const QString &name, QKeyCombination keys);
    void Unregister(int id);
    void UnregisterAll();

signals:
    void Pressed(int id);

private slots:
    void ShortcutPressed(const QString &component, const QString &action, qlonglong timestamp);

private:
    struct TAction {
        int Id;
        QString Name;
        int Keys;
    };
    std::vector<TAction> FActions;
    QString FComponent;
    QString FComponentName;
    bool FListening = false;

    QStringList ActionId(const QString &name) const;
    bool Listen();
    void Deactivate(int id); // 0: every action
};
