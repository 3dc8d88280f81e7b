// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/DavXml.h"

#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <functional>

namespace {

// Deeper than any answer of a server: a nesting without end would only exhaust the stack.
constexpr int MaxDepth = 64;

TXmlNode ReadElement(QXmlStreamReader& xml, int depth) {
    TXmlNode node;
    node.ns = xml.namespaceUri().toString();
    node.name = xml.name().toString();
    for (const QXmlStreamAttribute& attribute : xml.attributes())
        node.attributes.append({attribute.name().toString(), attribute.value().toString()});
    if (depth > MaxDepth) {
        xml.raiseError("the elements are nested too deeply");
        return node;
    }
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement())
            node.children.append(ReadElement(xml, depth + 1));
        else if (xml.isCharacters())
            node.text += xml.text();
        else if (xml.isEndElement())
            break;
    }
    return node;
}

std::optional<TXmlNode> ReadDocument(const QByteArray& body, QString* reason) {
    QXmlStreamReader xml(body);
    while (!xml.atEnd() && !xml.isStartElement())
        xml.readNext();
    if (!xml.isStartElement()) {
        if (reason)
            *reason = xml.hasError() ? xml.errorString() : QString("no XML in the answer");
        return std::nullopt;
    }
    TXmlNode root = ReadElement(xml, 0);
    if (xml.hasError()) {
        if (reason)
            *reason = QString("the XML breaks off at line %1: %2")
                          .arg(xml.lineNumber())
                          .arg(xml.errorString());
        return std::nullopt;
    }
    return root;
}

// Writes a document with the namespaces' usual prefixes.
class TBody {
public:
    TBody() : xml_(&bytes_) {
        xml_.writeStartDocument();
        xml_.writeNamespace(DavNs, "d");
        xml_.writeNamespace(CalDavNs, "c");
        xml_.writeNamespace(CalendarServerNs, "cs");
    }
    QXmlStreamWriter& Xml() { return xml_; }
    QByteArray Done() {
        xml_.writeEndDocument();
        return bytes_;
    }

private:
    QByteArray bytes_;
    QXmlStreamWriter xml_;
};

// A request that sets the display name: of a new calendar for to-dos only (MKCALENDAR), or of
// one that is there (PROPPATCH).
QByteArray DisplayNameBody(const char* ns, const char* root, const QString& displayName,
                           bool todosOnly) {
    TBody body;
    QXmlStreamWriter& xml = body.Xml();
    xml.writeStartElement(ns, root);
    xml.writeStartElement(DavNs, "set");
    xml.writeStartElement(DavNs, "prop");
    xml.writeTextElement(DavNs, "displayname", displayName);
    if (todosOnly) {
        xml.writeStartElement(CalDavNs, "supported-calendar-component-set");
        xml.writeEmptyElement(CalDavNs, "comp");
        xml.writeAttribute("name", "VTODO");
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    return body.Done();
}

} // namespace

bool TXmlNode::Is(const char* nameSpace, const char* localName) const {
    return ns == QLatin1String(nameSpace) && name == QLatin1String(localName);
}

const TXmlNode* TXmlNode::Child(const char* nameSpace, const char* localName) const {
    for (const TXmlNode& child : children)
        if (child.Is(nameSpace, localName))
            return &child;
    return nullptr;
}

QString TXmlNode::Attribute(const QString& attributeName) const {
    for (const auto& [key, value] : attributes)
        if (key == attributeName)
            return value;
    return QString();
}

QStringList TXmlNode::Hrefs() const {
    QStringList hrefs;
    for (const TXmlNode& child : children) {
        if (child.Is(DavNs, "href"))
            hrefs.append(child.text.trimmed());
        else
            hrefs.append(child.Hrefs());
    }
    return hrefs;
}

const TXmlNode* TDavResponse::Property(const char* ns, const char* name) const {
    for (const TXmlNode& property : properties)
        if (property.Is(ns, name))
            return &property;
    return nullptr;
}

int StatusOfLine(const QString& line) {
    static const QRegularExpression status("^\\s*HTTP/\\S+\\s+(\\d{3})");
    const QRegularExpressionMatch match = status.match(line);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

std::optional<TMultistatus> ReadMultistatus(const QByteArray& body, QString* reason) {
    const std::optional<TXmlNode> root = ReadDocument(body, reason);
    if (!root)
        return std::nullopt;
    if (!root->Is(DavNs, "multistatus")) {
        if (reason)
            *reason = "the answer is not a WebDAV multistatus";
        return std::nullopt;
    }
    TMultistatus result;
    if (const TXmlNode* token = root->Child(DavNs, "sync-token"))
        result.syncToken = token->text.trimmed();
    for (const TXmlNode& node : root->children) {
        if (!node.Is(DavNs, "response"))
            continue;
        TDavResponse response;
        if (const TXmlNode* status = node.Child(DavNs, "status"))
            response.status = StatusOfLine(status->text);
        for (const TXmlNode& propstat : node.children) {
            if (!propstat.Is(DavNs, "propstat"))
                continue;
            const TXmlNode* status = propstat.Child(DavNs, "status");
            const int code = status ? StatusOfLine(status->text) : 200;
            const TXmlNode* prop = propstat.Child(DavNs, "prop");
            if (prop && code >= 200 && code < 300)
                response.properties.append(prop->children);
        }
        // A response may name several resources that share its status.
        for (const TXmlNode& href : node.children) {
            if (!href.Is(DavNs, "href"))
                continue;
            response.href = href.text.trimmed();
            result.responses.append(response);
        }
    }
    return result;
}

bool NamesPrecondition(const QByteArray& body, const char* ns, const char* name) {
    const std::optional<TXmlNode> root = ReadDocument(body, nullptr);
    std::function<bool(const TXmlNode&)> names = [&](const TXmlNode& node) {
        if (node.Is(DavNs, "error") && node.Child(ns, name))
            return true;
        return std::any_of(node.children.begin(), node.children.end(), names);
    };
    return root && names(*root);
}

QByteArray PropfindBody(const QList<QPair<const char*, const char*>>& properties) {
    TBody body;
    QXmlStreamWriter& xml = body.Xml();
    xml.writeStartElement(DavNs, "propfind");
    xml.writeStartElement(DavNs, "prop");
    for (const auto& [ns, name] : properties)
        xml.writeEmptyElement(ns, name);
    xml.writeEndElement();
    xml.writeEndElement();
    return body.Done();
}

QByteArray SyncCollectionBody(const QString& token) {
    TBody body;
    QXmlStreamWriter& xml = body.Xml();
    xml.writeStartElement(DavNs, "sync-collection");
    xml.writeTextElement(DavNs, "sync-token", token);
    xml.writeTextElement(DavNs, "sync-level", "1");
    xml.writeStartElement(DavNs, "prop");
    xml.writeEmptyElement(DavNs, "getetag");
    xml.writeEndElement();
    xml.writeEndElement();
    return body.Done();
}

QByteArray MultigetBody(const QStringList& hrefs) {
    TBody body;
    QXmlStreamWriter& xml = body.Xml();
    xml.writeStartElement(CalDavNs, "calendar-multiget");
    xml.writeStartElement(DavNs, "prop");
    xml.writeEmptyElement(DavNs, "getetag");
    xml.writeEmptyElement(CalDavNs, "calendar-data");
    xml.writeEndElement();
    for (const QString& href : hrefs)
        xml.writeTextElement(DavNs, "href", href);
    xml.writeEndElement();
    return body.Done();
}

QByteArray MakeCalendarBody(const QString& displayName) {
    return DisplayNameBody(CalDavNs, "mkcalendar", displayName, true);
}

QByteArray SetDisplayNameBody(const QString& displayName) {
    return DisplayNameBody(DavNs, "propertyupdate", displayName, false);
}
