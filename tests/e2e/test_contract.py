"""The platform contract suite on the real window system: the Win32 build
of tests/unit/platform_contract_test.cpp, run under Wine."""

import unittest
import xml.etree.ElementTree as ET

import harness


class PlatformContractTest(unittest.TestCase):

    def test_win32_backend_keeps_the_contract(self):
        wine = harness.session()
        report = wine.run_dir / "contract.xml"
        proc = wine.popen([wine.tool("contract_tests.exe"),
                           "--gtest_output=xml:" + harness.winpath(report)])
        self.assertEqual(proc.wait(120), 0)
        suite = ET.parse(report).getroot()
        failures = [f"{case.get('name')}: {failure.get('message')}"
                    for case in suite.iter("testcase")
                    for failure in case.iter("failure")]
        self.assertEqual(failures, [])
        self.assertGreater(int(suite.get("tests")), 0)


if __name__ == "__main__":
    unittest.main()
