#pragma once

#include <string>

// The address bar's offline conversion (Enter with Ctrl held): an internet
// address becomes the address of its stored copy on the task's local server.
// With root "http://127.0.0.1:4000/":
//   "www.example.com/docs/"  -> "http://127.0.0.1:4000/www.example.com/docs/index.html"
//   "http://www.example.com" -> "http://127.0.0.1:4000/www.example.com/index.html"
//   "host:8080/a.html"       -> "http://127.0.0.1:4000/host:8080/a.html" (a site of its own)
//   "http://host:80/a.html"  -> "http://127.0.0.1:4000/host/a.html" (the default port)
//   "http://127.0.0.1:4000/x" stays as it is (already on the server)
//   "http://" -> "" (nothing left to address)
std::string OfflineAddress(const std::string& address, const std::string& serverRoot);
