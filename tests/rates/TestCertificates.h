#pragma once
// A certificate authority of the test's own and the server certificates it
// signs, made with the openssl program in a temporary folder. Nothing of it
// reaches the system's store: the fetch is told of the authority's file.
#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace orveltest {

class TestCertificates {
public:
    struct Issued {
        QByteArray certificate; // PEM
        QByteArray key;         // PEM, EC
    };

    // Makes the authority; false with `problem` set when that cannot be done.
    bool makeAuthority(QString *problem)
    {
        m_openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
        if (m_openssl.isEmpty())
            return fail(problem, QStringLiteral("the openssl program is not installed"));
        if (!m_dir.isValid())
            return fail(problem, QStringLiteral("no temporary folder"));
        return run({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                    "-keyout", path("ca.key"), "-out", caFile(), "-days", "2", "-subj", "/CN=Orvel test authority",
                    "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign"},
                   problem);
    }

    // The authority's certificate, for the fetch to trust.
    QString caFile() const { return path("ca.pem"); }

    // A server certificate signed by the authority, for `altNames` in
    // openssl's form ("IP:127.0.0.1", "DNS:bank.example").
    bool issue(const QString &name, const QString &altNames, Issued &issued, QString *problem)
    {
        QFile ext(path(name + ".ext"));
        if (!ext.open(QIODevice::WriteOnly))
            return fail(problem, QStringLiteral("cannot write ") + ext.fileName());
        ext.write("basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\nsubjectAltName=" + altNames.toLatin1()
                  + "\n");
        ext.close();
        const bool made =
            run({"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                 path(name + ".key"), "-out", path(name + ".csr"), "-subj", "/CN=" + name},
                problem)
            && run({"x509", "-req", "-in", path(name + ".csr"), "-CA", caFile(), "-CAkey", path("ca.key"),
                    "-CAcreateserial", "-days", "2", "-extfile", ext.fileName(), "-out", path(name + ".pem")},
                   problem);
        if (!made)
            return false;
        issued.certificate = read(path(name + ".pem"));
        issued.key = read(path(name + ".key"));
        return !issued.certificate.isEmpty() && !issued.key.isEmpty();
    }

private:
    QString path(const QString &file) const { return m_dir.filePath(file); }

    static bool fail(QString *problem, const QString &why)
    {
        if (problem)
            *problem = why;
        return false;
    }

    bool run(const QStringList &arguments, QString *problem)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(m_openssl, arguments);
        if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return fail(problem, QStringLiteral("openssl %1: %2")
                                     .arg(arguments.first(), QString::fromLocal8Bit(p.readAll())));
        return true;
    }

    static QByteArray read(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    QString m_openssl;
};

} // namespace orveltest
