#pragma once

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;

// The IPv4 calculator: mask bits, network address, usable range and host count for an address and a
// mask. Created afresh for every opening and destroyed when closed; keeps no state of its own.
class TfCalIP : public QDialog {
    Q_OBJECT
  public:
    explicit TfCalIP(QWidget* owner = nullptr);

    // Handlers. key is the typed character; setting it to the null character consumes the key.
    void rgCalSubnetClick(QObject* sender);
    void edCalSubnetMAskSelect(QObject* sender);
    void edCalSubnetMAskKeyPress(QObject* sender, QChar& key);
    void edCalMaskBitKeyPress(QObject* sender, QChar& key);

    bool CheckIPAndMask(const QString& address, const QString& mask) const;

    QGroupBox* rgCalSubnet;
    QButtonGroup* rgCalSubnetItems;
    QLineEdit* edCalIPAddress;
    QComboBox* edCalSubnetMAsk;
    QLineEdit* edCalMaskBit;
    QLineEdit* edCalSubnetID;
    QLineEdit* edCalDHCPRange;
    QLineEdit* edCalMaxHost;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void Calculate();
    void ShowFormatMessage();
    bool m_placed = false;
};
